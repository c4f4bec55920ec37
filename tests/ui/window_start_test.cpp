// Start-up state, the device list at start and on the timer's ticks, the
// Enter/Escape behaviour and what assistive tools find.
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>

#include "ui/about_dlg.h"
#include "ui/signal_lamps.h"
#include "window_fixture.h"

namespace {
const QStringList EMPTY;
}

TEST_F(WindowTest, StartStateShowsTheDescribedDefaults) {
    platform.AddModule();
    OpenWindow();
    EXPECT_EQ(window->windowTitle(), "LQ-3860 Utility v1.1");
    EXPECT_EQ(Combo(1004)->currentText(), "Ad-Hoc");
    EXPECT_EQ(Combo(1007)->currentText(), "2");
    EXPECT_EQ(Items(1008), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(Combo(1008)->currentIndex(), 0);
    EXPECT_EQ(Edit(1006)->text(), "");
    EXPECT_EQ(Edit(1005)->text(), "LQ-3860");
    EXPECT_EQ(MacTexts(), QStringList({"FF", "FF", "FF", "FF", "FF", "FF"}));
    EXPECT_EQ(Control<QLabel>(1003)->text(), "###");
    EXPECT_EQ(Control<QLabel>(1017)->text(), "###");
    EXPECT_TRUE(Control<QProgressBar>(1010)->isHidden());
    for (int id : {1045, 1046, 1047}) EXPECT_TRUE(Control<QLabel>(id)->accessibleName().endsWith(": off"));
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    EXPECT_EQ(window->KeyInvalid(), 0);
    EXPECT_EQ(ModuleParams.mode, 0);  // the window's start values are not collected yet
}

TEST_F(WindowTest, TypingIsCappedAtTheBoundLimits) {
    OpenWindow();
    ReplaceText(1005, QString(25, 's'));
    EXPECT_EQ(Edit(1005)->text(), QString(20, 's'));
    Type(1006, QString(70, 'k'));
    EXPECT_EQ(Edit(1006)->text().size(), 63);
    ReplaceText(1009, "abc");
    EXPECT_EQ(Edit(1009)->text(), "ab");
}

TEST_F(WindowTest, NoModuleListsNoneThenEmptiesAndFindsAModulePluggedInLater) {
    OpenWindow();
    EXPECT_EQ(Items(1001), QStringList({"<None>"}));
    EXPECT_EQ(Combo(1001)->currentIndex(), 0);

    window->OnTimer();
    EXPECT_EQ(Items(1001), EMPTY);
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    EXPECT_TRUE(pauses.empty());  // no 100 ms pause without a module

    platform.AddModule(u"Plugged");
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Plugged"}));
    EXPECT_EQ(Combo(1001)->currentIndex(), -1);
    EXPECT_EQ(window->Link().rescanNeeded, 0);
    EXPECT_EQ(pauses, std::vector<unsigned>({100}));
    EXPECT_TRUE(DebugSaid("Plugged"));
}

TEST_F(WindowTest, TwoModulesAreListedInSlotOrderAndRebuiltOnlyOnce) {
    platform.AddModule(u"First");
    platform.AddModule(u"Second");
    OpenWindow();
    const QStringList expected({"<None>", "First", "Second"});
    EXPECT_EQ(Items(1001), expected);
    EXPECT_EQ(Combo(1001)->currentIndex(), 0);

    window->OnTimer();
    EXPECT_EQ(Items(1001), expected);
    EXPECT_EQ(Combo(1001)->currentIndex(), -1);

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
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find("no permission"), std::string::npos);
    window->OnTimer();
    window->OnTimer();
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(WindowTest, EnterClosesOnlyWhenTheTransferSucceeds) {
    OpenWindow();
    window->show();
    ModuleParams.mode = MODE_AP;
    std::memset(ModuleParams.ssid, 'x', 30);  // a loaded 30-character SSID
    window->ShowParams();
    EXPECT_EQ(Edit(1005)->text().size(), 30);  // shown whole

    QTest::keyClick(Edit(1005), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(services.messages, std::vector<std::string>({SSID_TOO_LONG_MESSAGE}));

    Edit(1005)->setText("short");
    QTest::keyClick(Edit(1005), Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(WindowTest, EscapeClosesWithoutTransfer) {
    OpenWindow();
    window->show();
    ModuleParams.mode = MODE_AP;
    std::memset(ModuleParams.ssid, 'x', 30);
    window->ShowParams();
    QTest::keyClick(Edit(1005), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(WindowTest, LayoutKeepsControlsApartAndTabsInTemplateOrder) {
    OpenWindow();
    const QList<QWidget*> controls = window->findChildren<QWidget*>(QRegularExpression("^\\d+$"));
    const QRect client = controls.first()->parentWidget()->rect();
    for (QWidget* a : controls) {
        EXPECT_TRUE(client.contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget* b : controls) {
            if (a == b) continue;
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << "/" << b->objectName().toStdString();
        }
    }
    QStringList tabOrder;
    for (QWidget* w = Combo(1001); tabOrder.size() < 17; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) tabOrder << w->objectName();
    EXPECT_EQ(tabOrder, QStringList({"1001", "1021", "1004", "1005", "1007", "1008", "1006", "1009", "1012", "1013",
                                     "1014", "1015", "1016", "1018", "1011", "1002", "1001"}));
}

TEST_F(WindowTest, ControlsAreFoundByAssistiveTools) {
    OpenWindow();
    auto name = [](QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); };
    auto description = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
    };
    EXPECT_EQ(name(Edit(1005)), "SSID");
    EXPECT_EQ(name(Edit(1006)), "WLK");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(name(Edit(MAC_IDS[i])), QString("MAC byte %1").arg(i + 1));
    EXPECT_EQ(description(Combo(1001)), "Select Device");
    EXPECT_EQ(description(Combo(1004)), "Wi-Fi Connection Mode");
    EXPECT_EQ(description(Combo(1007)), "WLCH");
    EXPECT_EQ(description(Combo(1008)), "Encryption");
    EXPECT_EQ(Control<QLabel>(1003)->accessibleName(), "");
    EXPECT_EQ(description(Control<QLabel>(1003)), "Firmware version");
    EXPECT_EQ(description(Control<QLabel>(1017)), "Firmware date");
    EXPECT_EQ(name(Control<QLabel>(1045)), "Signal lamp left: off");
    EXPECT_EQ(name(Control<QLabel>(1046)), "Signal lamp middle: off");
    EXPECT_EQ(name(Control<QLabel>(1047)), "Signal lamp right: off");
    for (auto [id, text] : {std::pair{1021, "Get"}, {1018, "Get MAC Address"}, {1011, "Read para"}, {1002, "Write para"}})
        EXPECT_EQ(name(Control<QPushButton>(id)), text);

    QStringList groups;
    for (QGroupBox* box : window->findChildren<QGroupBox*>()) groups << name(box);
    for (const char* title : {"Select Device", "Signal Strength", "Wi-Fi Connection Mode", "SSID", "WLCH",
                              "Encryption", "WLK", "MAC Address", "Firmware Information"})
        EXPECT_TRUE(groups.contains(title)) << title;

    // Every control with an id can be reached through the accessibility tree.
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
    std::function<int(QAccessibleInterface*)> count = [&](QAccessibleInterface* node) {
        int found = node->object() && node->object()->property("controlId").isValid() ? 1 : 0;
        for (int i = 0; i < node->childCount(); ++i) found += count(node->child(i));
        return found;
    };
    EXPECT_EQ(count(root), static_cast<int>(window->findChildren<QWidget*>(QRegularExpression("^\\d+$")).size()));
}

namespace {

// Closes the modal dialog that a handler opens and tells its window title.
QString TitleOfNextModalDialog(const std::function<void()>& open) {
    QString title;
    QTimer::singleShot(0, [&title] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            title = dialog->windowTitle();
            dialog->close();
        }
    });
    open();
    return title;
}

}  // namespace

TEST_F(WindowTest, AboutOnTheMenuBarShowsTheAboutBox) {
    OpenWindow();
    QMenuBar* bar = window->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QAction* about = bar->actions().value(1);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About");
    EXPECT_EQ(TitleOfNextModalDialog([about] { about->trigger(); }), "About LQ-3860 Utility");
}

TEST_F(WindowTest, GetMacAddressButtonOpensTheLookupDialog) {
    OpenWindow();
    EXPECT_EQ(TitleOfNextModalDialog([this] { Control<QPushButton>(1018)->click(); }), "Get MAC Address Dialog");
}

TEST_F(WindowTest, AboutBoxCarriesTheProgramLineAndClosesOnEnter) {
    CAboutDlg about;
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("LQ-3860 Utility Ver. 1.1"));
    about.show();
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
}
