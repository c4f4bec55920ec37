// Read para, Write para and the configuration file commands: the messages they
// end in, the fields they show and what reaches the simulated module.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

#include "window_fixture.h"

namespace lq3860 {

TEST_F(ConnectedWindowTest, ReadParaShowsTheModuleParametersStepByStep) {
    ModuleParamSet params;
    params.mode = MODE_AP, params.encryption = 1, params.mac[1] = 0x0A;
    std::strcpy(params.ssid, "workshop");
    std::strcpy(params.key, "0123456789");
    module->module->Behaviour().SetParams(params);
    window->OnReadPara();
    EXPECT_EQ(services.messages, Texts({"Download Parameter OK"}));
    EXPECT_EQ(Shown({1004, 1007, 1008, 1005, 1006, 1009, 1012}),
              QStringList({"AP", "0", "WEP64", "workshop", "0123456789", "00", "0A"}));
    EXPECT_TRUE(Control(1010)->isHidden());
    EXPECT_EQ(steps, Texts({"at 0", "wait 200", "at 250", "wait 200", "at 500", "wait 200", "at 750", "wait 200",
                            "at 1000", "wait 200"}));

    module->failRead = true;
    // Ticks go on while the NG message is open: the dropped link is rebuilt then.
    QStringList listDuringMessage;
    services.duringMessage = [&] {
        window->OnTimer();
        listDuringMessage = Items(1001);
    };
    Edit(1005)->setText("kept");
    window->OnReadPara();
    EXPECT_EQ(services.messages.back(), "Download Parameter NG");
    EXPECT_EQ(listDuringMessage, QStringList({"<None>", "LQ-3860 (simulated)"}));
    EXPECT_EQ(Edit(1005)->text(), "kept");
}

TEST_F(ConnectedWindowTest, WriteParaSendsTheWindowFieldsAndALostModuleSaysNg) {
    Choose(1004, MODE_AP);
    Choose(1007, 5);
    Combo(1008)->setCurrentIndex(4);
    Edit(1006)->setText("a-wpa-passphrase");
    Edit(1005)->setText("site-7");
    Edit(1012)->clear();
    window->OnWritePara();
    EXPECT_EQ(services.messages, Texts({"Upload Parameter OK"}));
    const ModuleParamSet& stored = module->module->Behaviour().Params();
    EXPECT_EQ(
        std::vector<int>({stored.mode, stored.channel, stored.encryption, stored.mac[1], ModuleParams.encryption}),
        std::vector<int>({MODE_AP, 5, 4, 0xFF, 4}));
    EXPECT_EQ(std::string(stored.ssid) + "/" + stored.key, "site-7/a-wpa-passphrase");
    EXPECT_EQ(Edit(1012)->text(), "FF");  // the emptied edit shows what was sent
    EXPECT_EQ(steps, Texts({"at 0", "at 200", "at 250", "wait 200", "at 500", "wait 50", "at 750", "wait 200", "at 900",
                            "wait 200", "at 1000", "wait 200"}));

    module->module->faults.unplugAfterReports =
        module->module->OutputReports() + 2;  // announcement and first report get through
    window->OnWritePara();
    EXPECT_EQ(services.messages.back(), "Upload Parameter NG");
    EXPECT_EQ(window->Link().deviceOpen, 0);
}

TEST_F(ConnectedWindowTest, RefusedKeySendsNothingAtAll) {
    Combo(1008)->setCurrentIndex(1);
    Edit(1006)->setText("short");
    window->OnWritePara();
    EXPECT_EQ(services.messages, Texts({"The KEY must be 10 characters!"}));
    EXPECT_TRUE(module->written.empty());
}

TEST_F(ConnectedWindowTest, LongLoadedSsidSendsItsStartUnchangedOrShortenedByTheUser) {
    std::memset(ModuleParams.ssid, 'L', 30);
    window->ShowParams();
    Edit(1006)->setText("left in the edit");
    window->OnWritePara();
    // Under NONE the key check and the upload each transfer from the controls; no key is sent.
    EXPECT_EQ(services.messages, Texts({SSID_TOO_LONG_MESSAGE, SSID_TOO_LONG_MESSAGE, "Upload Parameter OK"}));
    EXPECT_EQ(std::string(module->module->Behaviour().Params().ssid) + "/" + module->module->Behaviour().Params().key,
              std::string(20, 'L') + "/");
    // The window's parameter set holds what went out, nothing after it.
    EXPECT_EQ(std::string(ModuleParams.ssid, PARAM_TEXT_AREA),
              std::string(20, 'L') + std::string(PARAM_TEXT_AREA - 20, '\0'));
    EXPECT_EQ(Edit(1006)->text(), "");  // the key check empties it under NONE

    std::strcpy(ModuleParams.ssid, "ABCDEFGHIJ0123456789abcdefghij");
    window->ShowParams();
    Edit(1005)->home(false);
    for (int i = 0; i < 5; ++i) QTest::keyClick(Edit(1005), Qt::Key_Delete);  // still over 20
    window->OnWritePara();
    EXPECT_EQ(services.messages.back(), "Upload Parameter OK");
    EXPECT_STREQ(module->module->Behaviour().Params().ssid, "FGHIJ0123456789abcde");
    EXPECT_EQ(Edit(1005)->text(), "FGHIJ0123456789abcdefghij");  // not the loaded text again
}

TEST_F(WindowTest, SaveTakesTheWindowAsTheParameterSetAndItsFileLoadsBackButNotABrokenOne) {
    QTemporaryDir folder;
    const auto pathOf = [&](const char* name) { return QDir(folder.path()).filePath(name).toStdString(); };
    // Three saves (cancelled, failed, saved), then three loads.
    services.fileAnswers = {"",
                            pathOf("missing-folder/x.txt"),
                            pathOf("start.txt"),
                            pathOf("start.txt"),
                            pathOf("absent.txt"),
                            pathOf("broken.txt")};
    window->OnSaveConfiguration();
    Edit(1013)->clear();
    window->OnSaveConfiguration();  // failed: the edits and the parameter set stay
    EXPECT_EQ(services.messages, Texts({"Save database file failure"}));
    EXPECT_EQ(ModuleParams.channel, 0);
    EXPECT_EQ(Edit(1013)->text(), "");
    Edit(1013)->setText("FF");
    window->OnSaveConfiguration();
    EXPECT_EQ(services.fileDialogs, Texts(3, "save Txt file(*.txt) txt"));
    EXPECT_EQ(ModuleParams.channel, 2);
    EXPECT_STREQ(ModuleParams.ssid, "LQ-3860");

    Choose(1004, MODE_AP);  // changed after saving: loading the file brings the saved state back
    for (int id : {1005, 1016}) Edit(id)->setText("7e");
    ModuleParams = ModuleParamSet{};
    QFile broken(QString::fromStdString(pathOf("broken.txt")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("[G1]\r\n00,05,01,\r\n[G2]\r\nx,\r\n") > 0);
    broken.close();
    window->OnLoadConfiguration();
    EXPECT_EQ(services.fileDialogs.back(), "open Text File (*.txt)");
    EXPECT_EQ(Shown({1004, 1007, 1008, 1005, 1016}), QStringList({"Ad-Hoc", "2", "NONE", "LQ-3860", "FF"}));
    window->OnLoadConfiguration();
    window->OnLoadConfiguration();  // a broken or missing file changes nothing
    EXPECT_EQ(services.messages,
              Texts({"Save database file failure", "Open database file failure", "[G3] format error"}));
    EXPECT_EQ(Shown({1004, 1007, 1005}), QStringList({"Ad-Hoc", "2", "LQ-3860"}));
    EXPECT_EQ(ModuleParams.channel, 2);
}

}  // namespace lq3860
