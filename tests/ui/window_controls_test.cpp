// SPDX-License-Identifier: MIT
// Start-up state, the device list at start and on the timer's ticks, the field
// rules as the window runs them on its events, Enter/Escape, the dialogs it
// opens and what assistive tools find.
#include <QAccessible>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>

#include <cstring>

#include "window_fixture.h"

namespace lq3860 {

namespace id = control_id;

TEST_F(WindowTest, StartStateShowsTheDefaultsAndCapsTypingToLatin1AndTheModuleLengths) {
    EXPECT_EQ(window->windowTitle(), "LQ-3860 Utility v1.1");
    EXPECT_EQ(
        Shown({id::MODE, id::CHANNEL, id::ENCRYPTION, id::SSID, id::KEY, id::FIRMWARE_VERSION, id::FIRMWARE_DATE}),
        QStringList({"Ad-Hoc", "2", "NONE", "LQ-3860", "", "###", "###"}));
    EXPECT_EQ(Items(id::ENCRYPTION), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(MacTexts(), QStringList(6, "FF"));
    EXPECT_TRUE(Control(id::PROGRESS)->isHidden());
    EXPECT_EQ(session.ModuleParams.channel, 0);  // the window's start values are not collected yet

    Edit(id::SSID)->home(false);
    QTest::keyClicks(Edit(id::SSID), "ab");  // typing inside the text stays where the cursor is
    EXPECT_EQ(Edit(id::SSID)->text(), "abLQ-3860");
    Edit(id::SSID)->clear();
    Type(id::SSID, QString(25, 's'));
    Type(id::KEY, "a");
    Edit(id::KEY)->insert(QString::fromUtf8("\u0100"));  // texts outside Latin-1 cannot be typed or pasted
    Type(id::KEY, QString(70, 'k'));
    EXPECT_EQ(Shown({id::SSID, id::KEY}), QStringList({QString(20, 's'), "a" + QString(62, 'k')}));
}

TEST_F(WindowTest, NoModuleListsNoneThenEmptiesAndFindsModulesPluggedInLaterInSlotOrder) {
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>"}));
    EXPECT_EQ(Combo(id::SELECT_DEVICE)->currentIndex(), 0);
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList());
    Click(id::GET_SIGNAL);  // Get without a module fails its write
    EXPECT_TRUE(DebugSaid("HID_Write Err\n"));
    Click(id::READ_PARA);
    Click(id::WRITE_PARA);
    EXPECT_EQ(services.messages, Texts({"Download Parameter NG", "Upload Parameter NG"}));

    platform.AddModule(u"First");
    platform.AddModule(u"Second");
    Tick();
    const QStringList expected({"<None>", "First", "Second"});
    EXPECT_EQ(Items(id::SELECT_DEVICE), expected);
    EXPECT_EQ(Combo(id::SELECT_DEVICE)->currentIndex(), -1);
    platform.AddModule(u"Third");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), expected);  // an idle, current list is left alone

    Choose(id::SELECT_DEVICE, 2);
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(platform.Interface(1).written.size(), 1u);  // slot 1 got the firmware query
    EXPECT_TRUE(platform.Interface(0).written.empty());
}

TEST_F(WindowTest, UnreadableNameAtStartIsNumberedAndDropsTheRebuildOnATick) {
    platform.AddModule(u"Named");
    platform.AddModule(std::nullopt);
    OpenWindow();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "Named", "Device 1"}));

    session.signalLevel = '3';  // the lamps must not follow on a tick that stops at the name
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "Named"}));
    EXPECT_TRUE(DebugSaid("GetName Failed"));
    EXPECT_EQ(session.shownSignalLevel, 0);

    platform.Interface(1).productName = u"Readable";
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "Named", "Readable"}));
    EXPECT_EQ(session.shownSignalLevel, '3');
}

TEST_F(WindowTest, ModuleWithoutPermissionIsExplainedOnce) {
    platform.AddModule().denyAccess = true;
    OpenWindow();
    Tick();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find("no permission"), std::string::npos);
}

TEST_F(WindowTest, MacEditsKeepOnlyHexDigitsAndEmptiedEditsGetTheirDefaultOnLeaving) {
    const std::array<int, 6>& mac = id::MAC_BYTES;
    Retype(mac[0], "g1g");
    Retype(mac[1], "");
    Edit(mac[1])->insert("zz");  // a paste: two passes of the filter
    EXPECT_EQ(MacTexts().mid(0, 2), QStringList({"1", ""}));
    Retype(mac[2], "abc");        // the case is kept, two digits at most; leaving the emptied edit fills it
    Edit(mac[3])->setText("x7");  // program text passes the filter as well
    EXPECT_EQ(MacTexts().mid(0, 4), QStringList({"1", "FF", "ab", "7"}));

    Retype(mac[4], "");
    Edit(id::SSID)->setText("typed but not transferred");
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) Leave(mac[4], reason);
    EXPECT_EQ(Edit(mac[4])->text(), "");  // focus taken by a menu or another window is no loss
    Leave(mac[4]);
    EXPECT_EQ(Shown({mac[4], id::SSID}), QStringList({"FF", "LQ-3860"}));  // leaving writes the bound texts back
    for (const char* typed : {" ", ""}) {                                  // only an empty SSID gets the default
        Retype(id::SSID, typed);
        Leave(id::SSID);
        EXPECT_EQ(Edit(id::SSID)->text(), *typed ? typed : "LQ-3860");
    }
}

TEST_F(WindowTest, KeyIsJudgedOnLeavingAndOnChoosingAnEncryptionAndModeAndChannelFollowTheStoredOne) {
    Choose(id::MODE, MODE_AP);                  // so that the WPA items are offered
    Combo(id::ENCRYPTION)->setCurrentIndex(3);  // set without the selection event
    for (const char* key : {"7-chars", "8-chars!"}) {
        Retype(id::KEY, key);
        Leave(id::KEY);
        EXPECT_EQ(window->KeyInvalid(), std::strlen(key) < 8) << key;
        EXPECT_EQ(Edit(id::KEY)->text(), key);  // kept as typed
    }
    Choose(id::ENCRYPTION, 0);  // NONE empties the key
    EXPECT_EQ(Edit(id::KEY)->text(), "");
    Choose(id::ENCRYPTION, 1);
    EXPECT_EQ(window->KeyInvalid(), 1);
    EXPECT_EQ(services.messages, Texts({"The KEY must between 8~63 characters!", "The KEY must be 10 characters!"}));

    Choose(id::ENCRYPTION, 2);  // picked only in the window: dropped by the next mode change
    Choose(id::MODE, MODE_AP);
    EXPECT_EQ(Combo(id::ENCRYPTION)->currentText(), "NONE");
    session.ModuleParams.encryption = 4;
    Choose(id::MODE, MODE_AP);
    Choose(id::CHANNEL, 0);
    EXPECT_EQ(Shown({id::ENCRYPTION, id::CHANNEL}), QStringList({"WPA2-PSK(AES)", "0"}));

    Choose(id::MODE, MODE_ADHOC);
    Choose(id::CHANNEL, 0);
    EXPECT_EQ(Items(id::ENCRYPTION), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(Combo(id::ENCRYPTION)->currentIndex(), -1);
    EXPECT_EQ(Combo(id::CHANNEL)->currentText(), "1");
    Retype(id::KEY, "x");
    Leave(id::KEY);  // no selection: any key passes
    EXPECT_EQ(Edit(id::KEY)->text(), "x");
    EXPECT_EQ(window->KeyInvalid(), 0);
}

// Where the controls stand is window_layout_test's business.
TEST_F(WindowTest, TabsInTemplateOrder) {
    std::vector<int> tabOrder;
    for (QWidget* w = Combo(id::SELECT_DEVICE); tabOrder.size() < 17; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) tabOrder.push_back(w->objectName().toInt());
    const std::array<int, 6>& mac = id::MAC_BYTES;
    EXPECT_EQ(tabOrder, std::vector<int>({id::SELECT_DEVICE, id::GET_SIGNAL, id::MODE, id::SSID, id::CHANNEL,
                                          id::ENCRYPTION, id::KEY, mac[0], mac[1], mac[2], mac[3], mac[4], mac[5],
                                          id::GET_MAC_ADDRESS, id::READ_PARA, id::WRITE_PARA, id::SELECT_DEVICE}));
}

TEST_F(WindowTest, ControlsAndGroupsAreFoundByAssistiveTools) {
    const auto text = [](QObject* object, QAccessible::Text kind) {
        return QAccessible::queryAccessibleInterface(object)->text(kind);
    };
    QStringList names;
    for (int control : {id::SSID, id::KEY, id::MAC_BYTES[0], id::MAC_BYTES[5], id::LAMPS[0], id::LAMPS[2],
                        id::GET_MAC_ADDRESS, id::WRITE_PARA})
        names << text(Control(control), QAccessible::Name);
    for (int control : {id::SELECT_DEVICE, id::ENCRYPTION, id::FIRMWARE_DATE})
        names << text(Control(control), QAccessible::Description);
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
    QAction* about = window->findChild<QAction*>(QString::number(id::MENU_ABOUT));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(window->findChild<QMenuBar*>()->actions().value(1), about);
    EXPECT_EQ(about->text(), "&About");
    const QStringList aboutBox = openedDialog([this] { Trigger(id::MENU_ABOUT); });
    EXPECT_EQ(aboutBox.value(0), "About LQ-3860 Utility");
    EXPECT_TRUE(aboutBox.contains("LQ-3860 Utility Ver. 1.1"));
    EXPECT_EQ(openedDialog([this] { Click(id::GET_MAC_ADDRESS); }).value(0), "Get MAC Address Dialog");
}

}  // namespace lq3860
