// The field rules as the window runs them on its events.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "window_fixture.h"

TEST_F(WindowTest, MacEditsKeepOnlyHexDigitsAndEmptiedEditsGetTheirDefaultOnLeaving) {
    OpenWindow();
    Edit(1009)->clear();
    Type(1009, "g1g");
    Edit(1012)->clear();
    Edit(1012)->insert("zz");  // a paste: two passes of the filter
    Edit(1013)->clear();
    Type(1013, "ab");  // the case is kept
    Edit(1014)->setText("x7");  // program text passes the filter as well
    EXPECT_EQ(MacTexts().mid(0, 4), QStringList({"1", "", "ab", "7"}));

    Edit(1005)->setText("typed but not transferred");
    Edit(1015)->clear();
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) Leave(1015, reason);
    EXPECT_EQ(Edit(1015)->text(), "");  // focus taken by a menu or another window is no loss
    Leave(1015);
    EXPECT_EQ(Edit(1015)->text(), "FF");
    EXPECT_EQ(Edit(1005)->text(), "LQ-3860");  // leaving writes the bound texts back

    Edit(1005)->clear();
    Leave(1005);
    EXPECT_EQ(Edit(1005)->text(), "LQ-3860");
    Edit(1005)->setText(" ");
    Leave(1005);  // only an empty SSID gets the default
    EXPECT_EQ(Edit(1005)->text(), " ");
}

TEST_F(WindowTest, KeyIsJudgedOnLeavingAndOnChoosingAnEncryption) {
    OpenWindow();
    Choose(1004, MODE_AP);  // so that the WPA items are offered
    Combo(1008)->setCurrentIndex(3);  // set without the selection event
    Edit(1006)->setText("7-chars");
    Leave(1006);
    EXPECT_EQ(window->KeyInvalid(), 1);
    EXPECT_EQ(Edit(1006)->text(), "7-chars");  // kept as typed
    Edit(1006)->setText("8-chars!");
    Leave(1006);
    EXPECT_EQ(window->KeyInvalid(), 0);

    Choose(1008, 0);  // NONE empties the key
    EXPECT_EQ(Edit(1006)->text(), "");
    EXPECT_EQ(window->KeyInvalid(), 0);
    Choose(1008, 1);
    EXPECT_EQ(window->KeyInvalid(), 1);
    EXPECT_EQ(services.messages, Texts({"The KEY must between 8~63 characters!", "The KEY must be 10 characters!"}));
}

TEST_F(WindowTest, ModeAndChannelRulesFollowTheStoredEncryption) {
    OpenWindow();
    Choose(1008, 2);  // picked only in the window: dropped by the next mode change
    Choose(1004, MODE_AP);
    EXPECT_EQ(Combo(1008)->currentText(), "NONE");
    ModuleParams.encryption = 4;
    Choose(1004, MODE_AP);
    EXPECT_EQ(Combo(1008)->currentText(), "WPA2-PSK(AES)");
    Choose(1007, 0);
    EXPECT_EQ(Combo(1007)->currentText(), "0");

    Choose(1004, MODE_ADHOC);
    EXPECT_EQ(Items(1008), QStringList({"NONE", "WEP64", "WEP128"}));
    EXPECT_EQ(Combo(1008)->currentIndex(), -1);
    EXPECT_EQ(Combo(1007)->currentText(), "1");
    Choose(1007, 0);
    EXPECT_EQ(Combo(1007)->currentText(), "1");
    services.messages.clear();
    Edit(1006)->setText("x");
    Leave(1006);  // no selection: any key passes
    EXPECT_EQ(services.messages, Texts());
    EXPECT_EQ(Edit(1006)->text(), "x");
}

TEST_F(WindowTest, TextsOutsideLatin1CannotBeTyped) {
    OpenWindow();
    Type(1006, "a");
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\u20ac"));
    QApplication::sendEvent(Edit(1006), &euro);
    Edit(1006)->insert(QString::fromUtf8("\u0100"));  // a paste outside Latin-1
    Type(1006, "b");
    EXPECT_EQ(Edit(1006)->text(), "ab");
}
