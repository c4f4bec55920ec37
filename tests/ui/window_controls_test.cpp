// SPDX-License-Identifier: MIT
// Start-up state, the field rules as the window runs them on its events,
// Enter, the tab order, what assistive tools find and the dialogs it opens.
// The rules themselves are the field rules tests' business.
#include <QAccessible>
#include <QGroupBox>
#include <QMenuBar>

#include <cstring>

#include "ui/ui_messages.h"
#include "window_fixture.h"

namespace lq3860 {

namespace id = control_id;

TEST_F(WindowTest, StartStateShowsTheDefaultsAndTypingIsCappedToLatin1AndTheModuleLengths) {
    EXPECT_EQ(window->windowTitle(), "LQ-3860 Utility v1.1");
    EXPECT_EQ(
        Shown({id::MODE, id::CHANNEL, id::ENCRYPTION, id::SSID, id::KEY, id::FIRMWARE_VERSION, id::FIRMWARE_DATE}),
        QStringList({"Ad-Hoc", "2", "NONE", "LQ-3860", "", "###", "###"}));
    EXPECT_EQ(Items(id::ENCRYPTION), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(Shown(id::MAC_BYTES), QStringList(6, "FF"));
    EXPECT_TRUE(Control(id::PROGRESS)->isHidden());

    Edit(id::SSID)->home(false);
    QTest::keyClicks(Edit(id::SSID), "ab");  // typing inside the text stays where the cursor is
    EXPECT_EQ(Edit(id::SSID)->text(), "abLQ-3860");
    Retype(id::SSID, QString(25, 's'));
    Type(id::KEY, "a");
    Edit(id::KEY)->insert(QString::fromUtf8("\u0100"));  // texts outside Latin-1 cannot be typed or pasted
    Type(id::KEY, QString(70, 'k'));
    EXPECT_EQ(Shown({id::SSID, id::KEY}), QStringList({QString(20, 's'), "a" + QString(62, 'k')}));
}

// Only a loaded key can be longer than typing allows: 63 characters, the
// most the module takes, pass the transfer from the controls (Enter closes);
// 64 are refused and the window stays.
TEST_F(WindowTest, KeyOfSixtyThreeCharactersPassesTheTransferAndSixtyFourAreRefused) {
    for (std::size_t length : {63u, 64u}) {
        std::memset(session.ModuleParams.key, 'k', length);
        window->ShowParams();
        QTest::keyClick(Edit(id::KEY), Qt::Key_Return);
        EXPECT_EQ(window->isVisible(), length == 64) << length;
        EXPECT_EQ(services.messages, length == 64 ? Texts{KEY_TOO_LONG_MESSAGE} : Texts{}) << length;
        ShowWindow();
    }
}

TEST_F(WindowTest, MacEditsKeepOnlyHexDigitsAndEveryLossOfFocusRunsTheEditsRule) {
    const std::array<int, 6>& mac = id::MAC_BYTES;
    Retype(mac[0], "g1g");
    Retype(mac[1], "");
    Edit(mac[1])->insert("zz");  // a paste: two passes of the filter
    EXPECT_EQ(Shown(id::MAC_BYTES).mid(0, 2), QStringList({"1", ""}));
    Retype(mac[2], "abc");        // the case is kept, two digits at most; leaving the emptied edit fills it
    Edit(mac[3])->setText("x7");  // program text passes the filter as well
    EXPECT_EQ(Shown(id::MAC_BYTES).mid(0, 4), QStringList({"1", "FF", "ab", "7"}));

    // Focus taken by another window (or a file dialog) is a loss as well.
    Retype(mac[4], "");
    Edit(id::SSID)->setText("typed but not transferred");
    Leave(mac[4], Qt::ActiveWindowFocusReason);
    EXPECT_EQ(Shown({mac[4], id::SSID}), QStringList({"FF", "LQ-3860"}));  // leaving writes the bound texts back
    const std::pair<const char*, Qt::FocusReason> ssidCases[] = {
        {" ", Qt::TabFocusReason}, {"", Qt::TabFocusReason}, {"", Qt::PopupFocusReason}};
    for (const auto& [typed, reason] : ssidCases) {
        Retype(id::SSID, typed);
        Leave(id::SSID, reason);
        EXPECT_EQ(Edit(id::SSID)->text(), *typed ? typed : "LQ-3860") << reason;  // only an empty SSID gets it
    }
}

TEST_F(WindowTest, KeyIsJudgedOnEveryLossOfFocusAndOnChoosingAnEncryption) {
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
    // Switching to another window judges the key; the message box this opens
    // takes the focus too, and that does not judge it again.
    Retype(id::KEY, "abc");
    services.duringMessage = [this] {
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(Edit(id::KEY), &out);
    };
    Leave(id::KEY, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(window->KeyInvalid(), 1);
    EXPECT_EQ(services.messages, Texts({"The KEY must between 8~63 characters!", "The KEY must be 10 characters!",
                                        "The KEY must be 10 characters!"}));
}

TEST_F(WindowTest, ModeAndChannelChoicesRunTheirRulesOnTheLists) {
    session.ModuleParams.encryption = 4;
    Choose(id::MODE, MODE_AP);  // the stored encryption is selected again, not the window's
    EXPECT_EQ(Shown({id::ENCRYPTION}), QStringList({"WPA2-PSK(AES)"}));
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
    for (int control : {id::SSID, id::KEY, id::MAC_BYTES[5], id::LAMPS[2], id::GET_MAC_ADDRESS})
        names << text(Control(control), QAccessible::Name);
    for (int control : {id::SELECT_DEVICE, id::FIRMWARE_DATE})
        names << text(Control(control), QAccessible::Description);
    for (QGroupBox* box : window->findChildren<QGroupBox*>()) names << text(box, QAccessible::Name);
    EXPECT_EQ(names.join('|'),
              "SSID|WLK|MAC byte 6|Signal lamp right: off|Get MAC Address|Select Device|Firmware date|"
              "Select Device|Signal Strength|Wi-Fi Connection Mode|SSID|WLCH|Encryption|WLK|"
              "MAC Address|Firmware Information");
}

// "&About" stands on the menu bar itself, after "&File"; the About box and the
// lookup dialog open modally (closed here by a timer) with their texts.
TEST_F(WindowTest, MenuAndButtonOpenTheAboutBoxAndTheLookupDialog) {
    QStringList seen;  // window titles and label texts of the dialogs opened
    const auto closeOpenedDialog = [&seen] {
        QWidget* dialog = QApplication::activeModalWidget();
        seen << dialog->windowTitle();
        for (QLabel* label : dialog->findChildren<QLabel*>()) seen << label->text();
        dialog->close();
    };
    EXPECT_EQ(window->findChild<QMenuBar*>()->actions().value(1)->text(), "&About");
    QTimer::singleShot(0, closeOpenedDialog);
    Trigger(id::MENU_ABOUT);
    QTimer::singleShot(0, closeOpenedDialog);
    Click(id::GET_MAC_ADDRESS);
    EXPECT_EQ(seen.mid(0, 3), QStringList({"About LQ-3860 Utility", "", "LQ-3860 Utility Ver. 1.1"}));
    EXPECT_TRUE(seen.contains("Get MAC Address Dialog"));
}

}  // namespace lq3860
