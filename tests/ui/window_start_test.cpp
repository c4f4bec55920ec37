// Start-up state, the device list at start and on the timer's ticks, the
// Enter/Escape behaviour, the dialogs it opens and what assistive tools find.
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <cstring>

#include "ui/about_dlg.h"
#include "ui/signal_lamps.h"
#include "window_fixture.h"

TEST_F(WindowTest, StartStateShowsTheDefaultsAndCapsTyping) {
    OpenWindow();
    EXPECT_EQ(window->windowTitle(), "LQ-3860 Utility v1.1");
    EXPECT_EQ(Shown({1004, 1007, 1008, 1005, 1006, 1003, 1017}),
              QStringList({"Ad-Hoc", "2", "NONE", "LQ-3860", "", "###", "###"}));
    EXPECT_EQ(Items(1008), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(MacTexts(), QStringList({"FF", "FF", "FF", "FF", "FF", "FF"}));
    EXPECT_TRUE(Control<QProgressBar>(1010)->isHidden());
    EXPECT_EQ(window->KeyInvalid(), 0);
    EXPECT_EQ(ModuleParams.channel, 0);  // the window's start values are not collected yet

    Edit(1005)->clear();
    Type(1005, QString(25, 's'));
    Type(1006, QString(70, 'k'));
    Edit(1009)->clear();
    Type(1009, "abc");
    EXPECT_EQ(Shown({1005, 1006, 1009}), QStringList({QString(20, 's'), QString(63, 'k'), "ab"}));
}

TEST_F(WindowTest, NoModuleListsNoneThenEmptiesAndFindsModulesPluggedInLaterInSlotOrder) {
    OpenWindow();
    EXPECT_EQ(Items(1001), QStringList({"<None>"}));
    EXPECT_EQ(Combo(1001)->currentIndex(), 0);
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList());
    window->OnGetSignal();  // Get without a module fails its write
    EXPECT_TRUE(DebugSaid("HID_Write Err\n"));
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    EXPECT_TRUE(pauses.empty());  // no pauses without a module

    platform.AddModule(u"First");
    platform.AddModule(u"Second");
    window->OnTimer();
    const QStringList expected({"<None>", "First", "Second"});
    EXPECT_EQ(Items(1001), expected);
    EXPECT_EQ(Combo(1001)->currentIndex(), -1);
    EXPECT_EQ(window->Link().rescanNeeded, 0);
    EXPECT_EQ(pauses, std::vector<unsigned>({100}));
    EXPECT_TRUE(DebugSaid("Second"));
    platform.AddModule(u"Third");
    window->OnTimer();
    EXPECT_EQ(Items(1001), expected);  // an idle, current list is left alone

    Choose(1001, 2);
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(platform.Interface(1).written.size(), 1u);  // slot 1 got the firmware query
    EXPECT_TRUE(platform.Interface(0).written.empty());
}

TEST_F(WindowTest, UnreadableNameAtStartIsNumberedAndDropsTheRebuildOnATick) {
    platform.AddModule(u"Named");
    platform.AddModule(std::nullopt);
    OpenWindow();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Named", "Device 1"}));

    signalLevel = '3';  // the lamps must not follow on a tick that stops at the name
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Named"}));
    EXPECT_TRUE(DebugSaid("GetName Failed"));
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    EXPECT_EQ(shownSignalLevel, 0);

    platform.Interface(1).productName = u"Readable";
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Named", "Readable"}));
    EXPECT_EQ(window->Link().rescanNeeded, 0);
    EXPECT_EQ(shownSignalLevel, '3');
}

TEST_F(WindowTest, ModuleWithoutPermissionIsExplainedOnce) {
    platform.AddModule().denyAccess = true;
    OpenWindow();
    window->OnTimer();
    window->OnTimer();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find("no permission"), std::string::npos);
}

TEST_F(WindowTest, LongLoadedSsidStaysWholeCannotGrowAndKeepsEnterFromClosing) {
    OpenWindow();
    ModuleParams.mode = MODE_AP;
    std::memset(ModuleParams.ssid, 'x', 30);  // a loaded 30-character SSID, shown whole
    window->ShowParams();
    EXPECT_EQ(Edit(1005)->text().size(), 30);
    QTest::keyClick(Edit(1005), Qt::Key_Backspace);
    Type(1005, "ab");
    EXPECT_EQ(Edit(1005)->text().size(), 29);

    window->show();
    QTest::keyClick(Edit(1005), Qt::Key_Escape);  // closes without any transfer
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(services.messages.empty());
    window->show();
    QTest::keyClick(Edit(1005), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(services.messages, Texts({SSID_TOO_LONG_MESSAGE}));

    std::memset(ModuleParams.ssid, 0, PARAM_TEXT_AREA);
    std::memset(ModuleParams.ssid, 'q', 15);
    window->ShowParams();  // a shorter program text brings the limit back
    Type(1005, "0123456789");
    EXPECT_EQ(Edit(1005)->text(), QString(15, 'q') + "01234");
    QTest::keyClick(Edit(1005), Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(WindowTest, LayoutKeepsControlsApartAndTabsInTemplateOrder) {
    OpenWindow();
    const QList<QWidget*> controls = window->findChildren<QWidget*>(QRegularExpression("^\\d+$"));
    const QRect client = controls.first()->parentWidget()->rect();
    for (QWidget* a : controls) {
        EXPECT_TRUE(client.contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget* b : controls)
            EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << "/" << b->objectName().toStdString();
    }
    QStringList tabOrder;
    for (QWidget* w = Combo(1001); tabOrder.size() < 17; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) tabOrder << w->objectName();
    EXPECT_EQ(tabOrder, QStringList({"1001", "1021", "1004", "1005", "1007", "1008", "1006", "1009", "1012", "1013",
                                     "1014", "1015", "1016", "1018", "1011", "1002", "1001"}));
}

TEST_F(WindowTest, ControlsAreFoundByAssistiveTools) {
    OpenWindow();
    auto text = [](QObject* object, QAccessible::Text kind) {
        return QAccessible::queryAccessibleInterface(object)->text(kind);
    };
    const std::pair<int, const char*> names[] = {
        {1005, "SSID"}, {1006, "WLK"}, {1009, "MAC byte 1"}, {1016, "MAC byte 6"},
        {1045, "Signal lamp left: off"}, {1046, "Signal lamp middle: off"}, {1047, "Signal lamp right: off"},
        {1021, "Get"}, {1018, "Get MAC Address"}, {1011, "Read para"}, {1002, "Write para"}};
    for (auto [id, name] : names) EXPECT_EQ(text(Control<QWidget>(id), QAccessible::Name), name) << id;
    const std::pair<int, const char*> descriptions[] = {{1001, "Select Device"}, {1004, "Wi-Fi Connection Mode"},
                                                        {1007, "WLCH"},          {1008, "Encryption"},
                                                        {1003, "Firmware version"}, {1017, "Firmware date"}};
    for (auto [id, description] : descriptions)
        EXPECT_EQ(text(Control<QWidget>(id), QAccessible::Description), description) << id;

    QStringList groups;
    for (QGroupBox* box : window->findChildren<QGroupBox*>()) groups << text(box, QAccessible::Name);
    groups.sort();
    EXPECT_EQ(groups, QStringList({"Encryption", "Firmware Information", "MAC Address", "SSID", "Select Device",
                                   "Signal Strength", "WLCH", "WLK", "Wi-Fi Connection Mode"}));

    // Every control with an id can be reached through the accessibility tree.
    std::function<int(QAccessibleInterface*)> count = [&](QAccessibleInterface* node) {
        int found = node->object() && node->object()->property("controlId").isValid() ? 1 : 0;
        for (int i = 0; i < node->childCount(); ++i) found += count(node->child(i));
        return found;
    };
    EXPECT_EQ(count(QAccessible::queryAccessibleInterface(window.get())),
              window->findChildren<QWidget*>(QRegularExpression("^\\d+$")).size());
}

TEST_F(WindowTest, MenuAndButtonOpenTheAboutBoxAndTheLookupDialog) {
    OpenWindow();
    // Closes the modal dialog that a handler opens and tells its window title.
    auto titleOfNextModalDialog = [](const std::function<void()>& open) {
        QString title;
        QTimer::singleShot(0, [&title] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                title = dialog->windowTitle();
                dialog->close();
            }
        });
        open();
        return title;
    };
    QAction* about = window->findChild<QMenuBar*>()->actions().value(1);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About");
    EXPECT_EQ(titleOfNextModalDialog([about] { about->trigger(); }), "About LQ-3860 Utility");
    EXPECT_EQ(titleOfNextModalDialog([this] { Control<QPushButton>(1018)->click(); }), "Get MAC Address Dialog");

    CAboutDlg box;
    QStringList texts;
    for (QLabel* label : box.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("LQ-3860 Utility Ver. 1.1"));
}
