// Start-up state, the device list at start and on the timer's ticks, the field
// rules as the window runs them on its events, Enter/Escape, the dialogs it
// opens and what assistive tools find.
#include <QAccessible>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>

#include <cstring>

#include "window_fixture.h"

namespace lq3860 {

TEST_F(WindowTest, StartStateShowsTheDefaultsAndCapsTypingToLatin1AndTheModuleLengths) {
    EXPECT_EQ(window->windowTitle(), "LQ-3860 Utility v1.1");
    EXPECT_EQ(Shown({1004, 1007, 1008, 1005, 1006, 1003, 1017}),
              QStringList({"Ad-Hoc", "2", "NONE", "LQ-3860", "", "###", "###"}));
    EXPECT_EQ(Items(1008), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(MacTexts(), QStringList(6, "FF"));
    EXPECT_TRUE(Control(1010)->isHidden());
    EXPECT_EQ(ModuleParams.channel, 0);  // the window's start values are not collected yet

    Edit(1005)->home(false);
    QTest::keyClicks(Edit(1005), "ab");  // typing inside the text stays where the cursor is
    EXPECT_EQ(Edit(1005)->text(), "abLQ-3860");
    Edit(1005)->clear();
    Type(1005, QString(25, 's'));
    Type(1006, "a");
    Edit(1006)->insert(QString::fromUtf8("\u0100"));  // texts outside Latin-1 cannot be typed or pasted
    Type(1006, QString(70, 'k'));
    EXPECT_EQ(Shown({1005, 1006}), QStringList({QString(20, 's'), "a" + QString(62, 'k')}));
}

TEST_F(WindowTest, NoModuleListsNoneThenEmptiesAndFindsModulesPluggedInLaterInSlotOrder) {
    EXPECT_EQ(Items(1001), QStringList({"<None>"}));
    EXPECT_EQ(Combo(1001)->currentIndex(), 0);
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList());
    window->OnGetSignal();  // Get without a module fails its write
    EXPECT_TRUE(DebugSaid("HID_Write Err\n"));
    window->OnReadPara();
    window->OnWritePara();
    EXPECT_EQ(services.messages, Texts({"Download Parameter NG", "Upload Parameter NG"}));

    platform.AddModule(u"First");
    platform.AddModule(u"Second");
    window->OnTimer();
    const QStringList expected({"<None>", "First", "Second"});
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
    EXPECT_EQ(shownSignalLevel, 0);

    platform.Interface(1).productName = u"Readable";
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Named", "Readable"}));
    EXPECT_EQ(shownSignalLevel, '3');
}

TEST_F(WindowTest, ModuleWithoutPermissionIsExplainedOnce) {
    platform.AddModule().denyAccess = true;
    OpenWindow();
    window->OnTimer();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find("no permission"), std::string::npos);
}

TEST_F(WindowTest, MacEditsKeepOnlyHexDigitsAndEmptiedEditsGetTheirDefaultOnLeaving) {
    for (int id : {1009, 1012, 1013}) Edit(id)->clear();
    Type(1009, "g1g");
    Edit(1012)->insert("zz");   // a paste: two passes of the filter
    Type(1013, "abc");          // the case is kept, two digits at most
    Edit(1014)->setText("x7");  // program text passes the filter as well
    EXPECT_EQ(MacTexts().mid(0, 4), QStringList({"1", "", "ab", "7"}));

    Edit(1005)->setText("typed but not transferred");
    Edit(1015)->clear();
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) Leave(1015, reason);
    EXPECT_EQ(Edit(1015)->text(), "");  // focus taken by a menu or another window is no loss
    Leave(1015);
    EXPECT_EQ(Shown({1015, 1005}), QStringList({"FF", "LQ-3860"}));  // leaving writes the bound texts back
    Edit(1005)->setText(" ");
    Leave(1005);  // only an empty SSID gets the default
    EXPECT_EQ(Edit(1005)->text(), " ");
}

TEST_F(WindowTest, KeyIsJudgedOnLeavingAndOnChoosingAnEncryptionAndModeAndChannelFollowTheStoredOne) {
    Choose(1004, MODE_AP);            // so that the WPA items are offered
    Combo(1008)->setCurrentIndex(3);  // set without the selection event
    for (const char* key : {"7-chars", "8-chars!"}) {
        Edit(1006)->setText(key);
        Leave(1006);
        EXPECT_EQ(window->KeyInvalid(), std::strlen(key) < 8) << key;
        EXPECT_EQ(Edit(1006)->text(), key);  // kept as typed
    }
    Choose(1008, 0);  // NONE empties the key
    EXPECT_EQ(Edit(1006)->text(), "");
    Choose(1008, 1);
    EXPECT_EQ(window->KeyInvalid(), 1);
    EXPECT_EQ(services.messages, Texts({"The KEY must between 8~63 characters!", "The KEY must be 10 characters!"}));

    Choose(1008, 2);  // picked only in the window: dropped by the next mode change
    Choose(1004, MODE_AP);
    EXPECT_EQ(Combo(1008)->currentText(), "NONE");
    ModuleParams.encryption = 4;
    Choose(1004, MODE_AP);
    Choose(1007, 0);
    EXPECT_EQ(Shown({1008, 1007}), QStringList({"WPA2-PSK(AES)", "0"}));

    Choose(1004, MODE_ADHOC);
    Choose(1007, 0);
    EXPECT_EQ(Items(1008), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(Combo(1008)->currentIndex(), -1);
    EXPECT_EQ(Combo(1007)->currentText(), "1");
    Edit(1006)->setText("x");
    Leave(1006);  // no selection: any key passes
    EXPECT_EQ(Edit(1006)->text(), "x");
    EXPECT_EQ(window->KeyInvalid(), 0);
}

TEST_F(WindowTest, LongLoadedSsidStaysWholeCannotGrowAndKeepsEnterFromClosing) {
    ModuleParams.mode = MODE_AP;
    std::memset(ModuleParams.ssid, 'x', 30);  // a loaded 30-character SSID, shown whole
    window->ShowParams();
    QTest::keyClick(Edit(1005), Qt::Key_Backspace);
    Type(1005, "ab");
    EXPECT_EQ(Edit(1005)->text(), QString(29, 'x'));

    window->show();
    QTest::keyClick(Edit(1005), Qt::Key_Escape);  // closes without any transfer
    EXPECT_FALSE(window->isVisible());
    window->show();
    QTest::keyClick(Edit(1005), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(services.messages, Texts({SSID_TOO_LONG_MESSAGE}));

    std::strcpy(ModuleParams.ssid, "qqqqqqqqqqqqqqq");
    window->ShowParams();  // a shorter program text brings the limit back
    Type(1005, "0123456789");
    EXPECT_EQ(Edit(1005)->text(), QString(15, 'q') + "01234");
    QTest::keyClick(Edit(1005), Qt::Key_Return);
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(WindowTest, LayoutKeepsControlsApartAndTabsInTemplateOrder) {
    const QList<QWidget*> controls = window->findChildren<QWidget*>(QRegularExpression("^\\d+$"));
    for (QWidget* a : controls) {
        EXPECT_TRUE(a->parentWidget()->rect().contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget* b : controls)
            EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry())) << a->objectName().toStdString();
    }
    QStringList tabOrder;
    for (QWidget* w = Combo(1001); tabOrder.size() < 17; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) tabOrder << w->objectName();
    EXPECT_EQ(tabOrder.join(' '),
              "1001 1021 1004 1005 1007 1008 1006 1009 1012 1013 1014 1015 1016 1018 1011 1002 1001");
}

TEST_F(WindowTest, ControlsAndGroupsAreFoundByAssistiveTools) {
    const auto text = [](QObject* object, QAccessible::Text kind) {
        return QAccessible::queryAccessibleInterface(object)->text(kind);
    };
    QStringList names;
    for (int id : {1005, 1006, 1009, 1016, 1045, 1047, 1018, 1002}) names << text(Control(id), QAccessible::Name);
    for (int id : {1001, 1008, 1017}) names << text(Control(id), QAccessible::Description);
    for (QGroupBox* box : window->findChildren<QGroupBox*>()) names << text(box, QAccessible::Name);
    std::sort(names.begin() + 11, names.end());
    EXPECT_EQ(names.join('|'),
              "SSID|WLK|MAC byte 1|MAC byte 6|Signal lamp left: off|Signal lamp right: off|"
              "Get MAC Address|Write para|Select Device|Encryption|Firmware date|Encryption|"
              "Firmware Information|MAC Address|SSID|Select Device|Signal Strength|WLCH|WLK|"
              "Wi-Fi Connection Mode");
}

TEST_F(WindowTest, MenuAndButtonOpenTheAboutBoxAndTheLookupDialog) {
    // Closes the modal dialog that a handler opens and tells its window title and label texts.
    auto openedDialog = [](const std::function<void()>& open) {
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                seen << dialog->windowTitle();
                for (QLabel* label : dialog->findChildren<QLabel*>()) seen << label->text();
                dialog->close();
            }
        });
        open();
        return seen;
    };
    QAction* about = window->findChild<QMenuBar*>()->actions().value(1);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About");
    const QStringList aboutBox = openedDialog([about] { about->trigger(); });
    EXPECT_EQ(aboutBox.value(0), "About LQ-3860 Utility");
    EXPECT_TRUE(aboutBox.contains("LQ-3860 Utility Ver. 1.1"));
    EXPECT_EQ(openedDialog([this] { Control<QPushButton>(1018)->click(); }).value(0), "Get MAC Address Dialog");
}

}  // namespace lq3860
