// SPDX-License-Identifier: MIT
// Start-up state, the field rules as the window runs them on its events,
// Enter, the tab order, what assistive tools find and the dialogs it opens.
// The rules themselves are the field rules tests' business.
#include "ui/qt_user_services.h"
#include "window_fixture.h"

namespace lq3860 {

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

// Enter on a focused push button presses it, as on Windows; on a list or in
// an edit it is OK, which closes the window.
TEST_F(ConnectedWindowTest, EnterPressesTheFocusedButtonAndElsewhereClosesTheWindow) {
    const std::tuple<int, bool, Texts> cases[] = {{id::WRITE_PARA, true, {"Upload Parameter OK"}},
                                                  {id::READ_PARA, true, {"Download Parameter OK"}},
                                                  {id::MODE, false, {}},
                                                  {mac[2], false, {}}};
    for (const auto& [focusId, stays, messages] : cases) {
        SCOPED_TRACE(focusId);
        services.messages.clear();
        ShowWindow();
        Focus(Control(focusId));
        QTest::keyClick(Control(focusId), Qt::Key_Return);
        EXPECT_EQ(window->isVisible(), stays);
        EXPECT_EQ(services.messages, messages);
    }
}

// Leaving an edit runs its rule and writes the bound texts back to their
// edits (a typed SSID that was not taken over yet is lost).
TEST_F(WindowTest, MacEditsKeepOnlyHexDigitsLeavingAnEditRunsItsRuleAndModeAndChannelChoicesRunTheirRules) {
    Retype(mac[0], "g1g");
    Retype(mac[1], "");
    Edit(mac[1])->insert("zz");  // a paste: two passes of the filter
    EXPECT_EQ(Shown({mac[0], mac[1]}), QStringList({"1", ""}));
    Edit(id::SSID)->setText("typed but not transferred");
    Retype(mac[2], "abc");  // the case is kept, two digits at most; the emptied edit left is filled
    EXPECT_EQ(Shown({mac[0], mac[1], mac[2], id::SSID}), QStringList({"1", "FF", "ab", "LQ-3860"}));
    for (const char* typed : {" ", ""}) {
        Retype(id::SSID, typed);
        Leave(id::SSID);
        EXPECT_EQ(Edit(id::SSID)->text(), *typed ? typed : "LQ-3860");  // only an empty SSID gets it
    }

    // The mode and channel choices run their rules on the lists; under Ad-Hoc
    // with a stored WPA2 encryption nothing is selected.
    session.ModuleParams.encryption = 4;
    Choose(id::MODE, MODE_AP);  // the stored encryption is selected again, not the window's
    EXPECT_EQ(Shown({id::ENCRYPTION}), QStringList({"WPA2-PSK(AES)"}));
    Choose(id::MODE, MODE_ADHOC);
    Choose(id::CHANNEL, 0);
    EXPECT_EQ(Items(id::ENCRYPTION), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(Shown({id::ENCRYPTION, id::CHANNEL}), QStringList({"", "1"}));
}

TEST_F(WindowTest, KeyIsJudgedOnEveryLossOfFocusAndOnChoosingAnEncryption) {
    Choose(id::MODE, MODE_AP);                  // so that the WPA items are offered
    Combo(id::ENCRYPTION)->setCurrentIndex(3);  // set without the selection event
    Retype(id::KEY, "7-chars");
    Leave(id::KEY);
    // Refused, and kept as typed.
    EXPECT_EQ(std::tuple(window->KeyInvalid(), Edit(id::KEY)->text()), std::tuple(1, QString("7-chars")));
    Choose(id::ENCRYPTION, 0);  // NONE empties the key
    EXPECT_EQ(Edit(id::KEY)->text(), "");
    Choose(id::ENCRYPTION, 1);
    // Switching to another window judges the key; the message box this opens
    // takes the focus too, and that does not judge it again.
    Retype(id::KEY, "abc");
    services.duringMessage = [this] { LoseFocus(id::KEY, Qt::ActiveWindowFocusReason); };
    Leave(id::KEY, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(window->KeyInvalid(), 1);
    EXPECT_EQ(services.messages, Texts({"The KEY must between 8~63 characters!", "The KEY must be 10 characters!",
                                        "The KEY must be 10 characters!"}));
}

TEST_F(WindowTest, TabsInTemplateOrderAndEveryControlHasANameForAssistiveTools) {
    std::vector<int> tabOrder;
    for (QWidget* w = Combo(id::SELECT_DEVICE); tabOrder.size() < 17; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) tabOrder.push_back(w->objectName().toInt());
    EXPECT_EQ(tabOrder, std::vector<int>({id::SELECT_DEVICE, id::GET_SIGNAL, id::MODE, id::SSID, id::CHANNEL,
                                          id::ENCRYPTION, id::KEY, mac[0], mac[1], mac[2], mac[3], mac[4], mac[5],
                                          id::GET_MAC_ADDRESS, id::READ_PARA, id::WRITE_PARA, id::SELECT_DEVICE}));
    for (QWidget* control :
         Combo(id::SELECT_DEVICE)->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QAccessibleInterface* found = QAccessible::queryAccessibleInterface(control);
        EXPECT_FALSE(found->text(QAccessible::Name).isEmpty() && found->text(QAccessible::Description).isEmpty())
            << control->objectName().toStdString();
    }
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

// The message boxes of the Qt services: the window's own without an icon,
// the Get MAC Address dialog's error with the error icon; each modal, under
// the program's name, with one OK button.
TEST_F(WindowTest, MessageBoxesCarryTheCaptionTheirIconAndAnOkButton) {
    QtUserServices qt(QStringLiteral("lq3860-utility"));
    QStringList seen;
    const auto answer = [&seen] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            seen << "no message box";
            modal->close();
            return;
        }
        seen << box->windowTitle() + "|" + box->text() + "|" + QString::number(box->icon()) + "|" +
                    QString::number(box->standardButtons());
        box->button(QMessageBox::Ok)->click();
    };
    QTimer::singleShot(0, answer);
    qt.WindowMessage("Download Parameter OK");
    QTimer::singleShot(0, answer);
    qt.ApplicationMessage("Get MAC Address Error", true);
    QTimer::singleShot(0, answer);
    qt.ApplicationMessage("Please, Enter IP Address", false);
    const QString none = QString::number(QMessageBox::NoIcon), error = QString::number(QMessageBox::Critical),
                  ok = "|" + QString::number(QMessageBox::Ok);
    EXPECT_EQ(seen, QStringList({"lq3860-utility|Download Parameter OK|" + none + ok,
                                 "lq3860-utility|Get MAC Address Error|" + error + ok,
                                 "lq3860-utility|Please, Enter IP Address|" + none + ok}));
}

}  // namespace lq3860
