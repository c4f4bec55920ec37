// SPDX-License-Identifier: MIT
// Read para, Write para and the configuration file commands as the window
// runs them: the messages they end in, the fields they show and collect, and
// that the procedures drive the window's bar (their waits and positions are
// the parameter transfer tests' business).
#include "params/config_file.h"
#include "window_fixture.h"

namespace lq3860 {

TEST_F(ConnectedWindowTest, ReadParaDrivesTheBarThenShowsTheModuleParametersOrLeavesTheWindowAndClosesTheLinkOnNg) {
    Module().SetParams({.mode = MODE_AP, .encryption = 1, .ssid = "workshop", .key = "0123456789", .mac = {0, 0x0A}});
    Click(id::READ_PARA);
    EXPECT_EQ(services.messages, Texts({"Download Parameter OK"}));
    EXPECT_EQ(Shown({id::MODE, id::CHANNEL, id::ENCRYPTION, id::SSID, id::KEY, id::MAC_BYTES[0], id::MAC_BYTES[1]}),
              QStringList({"AP", "0", "WEP64", "workshop", "0123456789", "00", "0A"}));
    // From 0 through the procedure's positions to 1000 while the bar is shown.
    EXPECT_EQ(std::pair(barPositions.front(), barPositions.back()), std::pair(0, 1000));
    EXPECT_TRUE(Control(id::PROGRESS)->isHidden());

    module->failRead = true;
    Edit(id::SSID)->setText("kept");
    Click(id::READ_PARA);
    // The link is closed: the next tick rebuilds the list.
    EXPECT_EQ(services.messages.back(), "Download Parameter NG");
    EXPECT_EQ(Edit(id::SSID)->text(), "kept");
    EXPECT_EQ(window->Link().rescanNeeded, 1);
}

TEST_F(ConnectedWindowTest, WriteParaChecksTheKeyFirstThenSendsTheWindowFieldsOrSaysNgForALostModule) {
    Combo(id::ENCRYPTION)->setCurrentIndex(1);
    Edit(id::KEY)->setText("short");
    Click(id::WRITE_PARA);  // a refused key: nothing at all is sent
    EXPECT_EQ(services.messages, Texts({"The KEY must be 10 characters!"}));
    EXPECT_EQ(module->written.size(), 0u);
    EXPECT_EQ(barPositions.size(), 0u);

    Choose(id::MODE, MODE_AP);
    Choose(id::CHANNEL, 5);
    Combo(id::ENCRYPTION)->setCurrentIndex(4);
    Edit(id::KEY)->setText("a-wpa-passphrase");
    Edit(id::SSID)->setText("site-7");
    MacEdit(1)->clear();
    Click(id::WRITE_PARA);
    EXPECT_EQ(services.messages.back(), "Upload Parameter OK");
    const ModuleParamSet& sent = Module().Params();
    EXPECT_EQ(
        std::tuple(sent.mode, sent.channel, sent.encryption, sent.mac[1], std::string(sent.ssid) + "/" + sent.key),
        std::tuple(MODE_AP, 5, 4, 0xFF, "site-7/a-wpa-passphrase"));
    EXPECT_EQ(session.ModuleParams.encryption, 4);  // the window's set holds what was sent,
    EXPECT_EQ(MacEdit(1)->text(), "FF");            // and the emptied edit shows it
    // The window's own steps (collecting the fields) at 200 and 250, then the procedure's, up to 1000.
    EXPECT_EQ(std::vector<int>(barPositions.begin(), barPositions.begin() + 3), std::vector<int>({0, 200, 250}));

    module->module->faults.unplugAfterReports = module->module->OutputReports() + 2;  // the handshake and one report
    Click(id::WRITE_PARA);
    EXPECT_EQ(services.messages.back(), "Upload Parameter NG");
    EXPECT_EQ(window->Link().deviceOpen, 0);
}

// A loaded SSID over 20 characters is shown whole and cannot grow; Write
// para sends its start or what the user shortened it to, Escape closes the
// window without a transfer.
TEST_F(ConnectedWindowTest, LongLoadedSsidIsShownWholeAndSendsItsStartUnchangedOrShortenedByTheUser) {
    std::memset(session.ModuleParams.ssid, 'L', 30);
    window->ShowParams();
    Edit(id::KEY)->setText("left in the edit");
    Click(id::WRITE_PARA);
    // Under NONE the key check and the upload each transfer from the controls; no key is sent.
    EXPECT_EQ(services.messages, Texts({SSID_TOO_LONG_MESSAGE, SSID_TOO_LONG_MESSAGE, "Upload Parameter OK"}));
    EXPECT_EQ(std::string(Module().Params().ssid) + "/" + Module().Params().key, std::string(20, 'L') + "/");

    std::strcpy(session.ModuleParams.ssid, "ABCDEFGHIJ0123456789abcdefghij");
    window->ShowParams();
    Edit(id::SSID)->home(false);
    for (int i = 0; i < 5; ++i) QTest::keyClick(Edit(id::SSID), Qt::Key_Delete);  // still over 20
    Type(id::SSID, "ab");                                                         // cannot grow
    Click(id::WRITE_PARA);
    EXPECT_STREQ(Module().Params().ssid, "FGHIJ0123456789abcde");
    EXPECT_EQ(Edit(id::SSID)->text(), "FGHIJ0123456789abcdefghij");  // not the loaded text again
    services.messages.clear();
    QTest::keyClick(Edit(id::SSID), Qt::Key_Escape);  // closes without any transfer
    EXPECT_EQ(std::pair(window->isVisible(), services.messages), std::pair(false, Texts{}));

    ShowWindow();
    std::strcpy(session.ModuleParams.ssid, "qqqqqqqqqqqqqqq");
    window->ShowParams();  // a shorter program text brings the limit back
    Type(id::SSID, "0123456789");
    EXPECT_EQ(Edit(id::SSID)->text(), QString(15, 'q') + "01234");
}

// Saving takes the window into a copy of the parameter set: a failed or
// refused save (a line break the file cannot carry, refused before a file
// name is asked for) leaves the edits and the set; a saved file loads back,
// a missing one changes nothing.
TEST_F(WindowTest, SaveTakesTheWindowAsTheParameterSetAndItsFileLoadsBack) {
    QTemporaryDir folder;
    const auto pathOf = [&](const char* name) { return QDir(folder.path()).filePath(name).toStdString(); };
    services.fileAnswers = {pathOf("missing-folder/x.txt"), pathOf("set.txt"), pathOf("set.txt"), pathOf("absent.txt")};
    MacEdit(2)->clear();
    Trigger(id::MENU_SAVE_CONFIGURATION);
    Edit(id::SSID)->setText("a\r\n[G3]");
    Trigger(id::MENU_SAVE_CONFIGURATION);
    EXPECT_EQ(services.messages, Texts({"Save database file failure", SSID_LINE_BREAK_MESSAGE}));
    EXPECT_EQ(std::pair(session.ModuleParams.channel, MacEdit(2)->text()), std::pair(std::uint8_t{0}, QString()));
    Edit(id::SSID)->setText("LQ-3860");
    Trigger(id::MENU_SAVE_CONFIGURATION);
    EXPECT_EQ(services.fileDialogs, Texts(2, "save Txt file(*.txt) txt"));
    EXPECT_EQ(std::pair(session.ModuleParams.channel, MacEdit(2)->text()), std::pair(std::uint8_t{2}, QString("FF")));

    Choose(id::MODE, MODE_AP);  // changed after saving: loading the file brings the saved state back
    for (int edit : {id::SSID, id::MAC_BYTES[5]}) Edit(edit)->setText("7e");
    session.ModuleParams = ModuleParamSet{};
    Trigger(id::MENU_LOAD_CONFIGURATION);
    Trigger(id::MENU_LOAD_CONFIGURATION);  // a missing file changes nothing
    EXPECT_EQ(services.fileDialogs.back(), "open Text File (*.txt)");
    EXPECT_EQ(Shown({id::MODE, id::CHANNEL, id::ENCRYPTION, id::SSID, id::MAC_BYTES[5]}),
              QStringList({"Ad-Hoc", "2", "NONE", "LQ-3860", "FF"}));
    EXPECT_EQ(services.messages.back(), "Open database file failure");
    EXPECT_EQ(session.ModuleParams.channel, 2);
}

}  // namespace lq3860
