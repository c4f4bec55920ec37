// The field rules as the window runs them on its events.
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTest>

#include <cstring>

#include "window_fixture.h"

TEST_F(WindowTest, MacFilterRemovesWhatIsNotHex) {
    OpenWindow();
    Edit(1009)->clear();
    Type(1009, "g");
    EXPECT_EQ(Edit(1009)->text(), "");
    Type(1009, "1");
    Type(1009, "g");
    EXPECT_EQ(Edit(1009)->text(), "1");

    Edit(1012)->clear();
    Edit(1012)->insert("zz");  // a paste: two passes of the filter
    EXPECT_EQ(Edit(1012)->text(), "");

    Edit(1013)->clear();
    Type(1013, "ab");
    EXPECT_EQ(Edit(1013)->text(), "ab");  // the case is kept
}

TEST_F(WindowTest, MacFilterAlsoRunsOnProgramText) {
    OpenWindow();
    Edit(1014)->setText("x7");
    EXPECT_EQ(Edit(1014)->text(), "7");
}

TEST_F(WindowTest, LeavingAnEmptyMacEditFillsIt) {
    OpenWindow();
    Edit(1015)->clear();
    Leave(1015);
    EXPECT_EQ(Edit(1015)->text(), "FF");
    Edit(1016)->setText("5");
    Leave(1016);
    EXPECT_EQ(Edit(1016)->text(), "5");
}

TEST_F(WindowTest, FocusTakenByAMenuOrAnotherWindowIsNoLoss) {
    OpenWindow();
    Edit(1015)->clear();
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent event(QEvent::FocusOut, reason);
        QApplication::sendEvent(Edit(1015), &event);
    }
    EXPECT_EQ(Edit(1015)->text(), "");
    Leave(1015);
    EXPECT_EQ(Edit(1015)->text(), "FF");
}

TEST_F(WindowTest, LeavingMacEditWritesTheBoundTextsBack) {
    OpenWindow();
    Edit(1005)->setText("typed but not transferred");  // overwritten by the transfer to the controls
    Leave(1009);
    EXPECT_EQ(Edit(1005)->text(), "LQ-3860");
}

TEST_F(WindowTest, LeavingTheSsidEmptyRestoresTheDefault) {
    OpenWindow();
    Edit(1005)->clear();
    Leave(1005);
    EXPECT_EQ(Edit(1005)->text(), "LQ-3860");
    Edit(1005)->setText(" ");
    Leave(1005);
    EXPECT_EQ(Edit(1005)->text(), " ");
}

TEST_F(WindowTest, LeavingTheKeyEditJudgesItsLength) {
    OpenWindow();
    Choose(1004, MODE_AP);  // so that the WPA items are offered
    Combo(1008)->setCurrentIndex(3);  // set without the selection event
    Edit(1006)->setText("7-chars");
    Leave(1006);
    EXPECT_EQ(services.messages, std::vector<std::string>({"The KEY must between 8~63 characters!"}));
    EXPECT_EQ(window->KeyInvalid(), 1);
    EXPECT_EQ(Edit(1006)->text(), "7-chars");  // kept as typed

    Edit(1006)->setText("8-chars!");
    Leave(1006);
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(window->KeyInvalid(), 0);
}

TEST_F(WindowTest, ChoosingNoneEmptiesTheKeyAndWep64ThenComplains) {
    OpenWindow();
    Combo(1008)->setCurrentIndex(1);
    Edit(1006)->setText("0123456789");
    Choose(1008, 0);
    EXPECT_EQ(Edit(1006)->text(), "");
    EXPECT_EQ(window->KeyInvalid(), 0);
    Choose(1008, 1);
    EXPECT_EQ(services.messages, std::vector<std::string>({"The KEY must be 10 characters!"}));
    EXPECT_EQ(window->KeyInvalid(), 1);
}

TEST_F(WindowTest, ModeRuleFollowsTheStoredEncryption) {
    OpenWindow();
    ModuleParams.encryption = 4;
    Choose(1004, MODE_AP);
    EXPECT_EQ(Items(1008).size(), 5);
    EXPECT_EQ(Combo(1008)->currentText(), "WPA2-PSK(AES)");

    Choose(1004, MODE_ADHOC);
    EXPECT_EQ(Items(1008), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(Combo(1008)->currentIndex(), -1);
    Edit(1006)->setText("x");
    Leave(1006);  // no selection: any key passes
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(Edit(1006)->text(), "x");

    Choose(1004, MODE_AP);
    EXPECT_EQ(Combo(1008)->currentText(), "WPA2-PSK(AES)");
}

TEST_F(WindowTest, ModeChangeDropsAnEncryptionPickedOnlyInTheWindow) {
    OpenWindow();
    Choose(1008, 2);  // WEP128, empty key: refused, but the pick stays
    Choose(1004, MODE_AP);
    EXPECT_EQ(Combo(1008)->currentText(), "NONE");
}

TEST_F(WindowTest, ChannelZeroUnderAdHocBecomesOne) {
    OpenWindow();
    Choose(1007, 0);
    EXPECT_EQ(Combo(1007)->currentText(), "1");

    Choose(1004, MODE_AP);
    Choose(1007, 0);
    EXPECT_EQ(Combo(1007)->currentText(), "0");
    Choose(1004, MODE_ADHOC);
    EXPECT_EQ(Combo(1007)->currentText(), "1");
    Choose(1004, MODE_AP);
    EXPECT_EQ(Combo(1007)->currentText(), "1");
}

TEST_F(WindowTest, LongProgramTextStaysWholeButTypingCannotGrowIt) {
    OpenWindow();
    std::memset(ModuleParams.ssid, 's', 30);
    window->ShowParams();
    QLineEdit* ssid = Edit(1005);
    EXPECT_EQ(ssid->text().size(), 30);
    QTest::keyClick(ssid, Qt::Key_End);
    QTest::keyClick(ssid, Qt::Key_Backspace);
    Type(1005, "ab");
    EXPECT_EQ(ssid->text().size(), 29);
    std::memset(ModuleParams.ssid, 0, PARAM_TEXT_AREA);
    std::memset(ModuleParams.ssid, 'q', 15);
    window->ShowParams();  // a shorter program text brings the limit back
    Type(1005, "0123456789");
    EXPECT_EQ(ssid->text().size(), 20);
}

TEST_F(WindowTest, TextsOutsideLatin1CannotBeTyped) {
    OpenWindow();
    Edit(1006)->clear();
    Type(1006, "a");
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\u20ac"));
    QApplication::sendEvent(Edit(1006), &euro);
    Edit(1006)->insert(QString::fromUtf8("\u0100"));  // a paste outside Latin-1
    Type(1006, "b");
    EXPECT_EQ(Edit(1006)->text(), "ab");
}
