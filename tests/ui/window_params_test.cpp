// Read para, Write para and the configuration file commands, with the
// messages they end in and what reaches the simulated module.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

#include "window_fixture.h"

class ParamsWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        module = &platform.AddModule();
        OpenWindow();
        Choose(1001, 1);
        ASSERT_EQ(window->Link().deviceOpen, 1);
        module->written.clear();
        pauses.clear();
        // Records the progress bar's positions as the procedures repaint it.
        auto* bar = Control<QProgressBar>(1010);
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [this](int value) { positions.push_back(value); });
    }
    SimulatedInterface* module = nullptr;
    std::vector<int> positions;
};

TEST_F(ParamsWindowTest, ReadParaShowsTheModuleParametersStepByStep) {
    ModuleParamSet params;
    params.mode = MODE_AP;
    params.encryption = 1;
    std::strcpy(params.ssid, "workshop");
    std::strcpy(params.key, "0123456789");
    params.mac[1] = 0x0A;
    module->module->SetParams(params);
    window->OnReadPara();
    EXPECT_EQ(services.messages, Texts({"Download Parameter OK"}));
    EXPECT_EQ(Shown({1004, 1007, 1008, 1005, 1006}), QStringList({"AP", "0", "WEP64", "workshop", "0123456789"}));
    EXPECT_EQ(MacTexts(), QStringList({"00", "0A", "00", "00", "00", "00"}));
    EXPECT_TRUE(Control<QProgressBar>(1010)->isHidden());
    EXPECT_EQ(positions, std::vector<int>({0, 250, 500, 750, 1000}));
    EXPECT_EQ(pauses, std::vector<unsigned>(5, 200));
}

TEST_F(ParamsWindowTest, FailedReadParaLeavesTheWindowAndSaysNg) {
    ModuleParamSet params;
    params.mode = MODE_AP;
    std::strcpy(params.ssid, "workshop");
    module->module->SetParams(params);
    module->failRead = true;
    // Ticks go on while the message is open: the dropped link is rebuilt then.
    QStringList listDuringMessage;
    services.duringMessage = [&] {
        window->OnTimer();
        listDuringMessage = Items(1001);
    };
    window->OnReadPara();
    EXPECT_EQ(services.messages, Texts({"Download Parameter NG"}));
    EXPECT_EQ(listDuringMessage, QStringList({"<None>", "LQ-3860 (simulated)"}));
    EXPECT_EQ(Shown({1004, 1005}), QStringList({"Ad-Hoc", "LQ-3860"}));
}

TEST_F(WindowTest, WithoutModuleReadParaWaitsAndWriteParaDoesNotButBothSayNg) {
    OpenWindow();
    window->OnReadPara();
    EXPECT_EQ(pauses, std::vector<unsigned>(5, 200));
    pauses.clear();
    window->OnWritePara();
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(services.messages, Texts({"Download Parameter NG", "Upload Parameter NG"}));
    EXPECT_EQ(window->Link().rescanNeeded, 1);
}

TEST_F(ParamsWindowTest, WriteParaSendsTheWindowFields) {
    Choose(1004, MODE_AP);
    Choose(1007, 5);
    Combo(1008)->setCurrentIndex(4);
    Edit(1006)->setText("a-wpa-passphrase");
    Edit(1005)->setText("site-7");
    Edit(1012)->clear();
    window->OnWritePara();
    EXPECT_EQ(services.messages, Texts({"Upload Parameter OK"}));
    ASSERT_EQ(module->written.size(), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(module->written[0].data() + 1), 8), "AT+iWP\r\n");
    const ModuleParamSet& stored = module->module->Params();
    EXPECT_EQ(std::vector<int>({stored.mode, stored.channel, stored.encryption, stored.mac[1]}),
              std::vector<int>({MODE_AP, 5, 4, 0xFF}));
    EXPECT_EQ(std::string(stored.ssid) + "/" + stored.key, "site-7/a-wpa-passphrase");
    EXPECT_EQ(Edit(1012)->text(), "FF");  // the emptied edit shows what was sent
    EXPECT_EQ(ModuleParams.encryption, 4);
    EXPECT_EQ(positions, std::vector<int>({0, 200, 250, 500, 750, 900, 1000}));
    EXPECT_EQ(pauses, std::vector<unsigned>({200, 50, 200, 200, 200}));
}

TEST_F(ParamsWindowTest, RefusedKeySendsNothingAtAll) {
    Combo(1008)->setCurrentIndex(1);
    Edit(1006)->setText("short");
    window->OnWritePara();
    EXPECT_EQ(services.messages, Texts({"The KEY must be 10 characters!"}));
    EXPECT_TRUE(module->written.empty());
}

TEST_F(ParamsWindowTest, LostModuleDuringTheUploadSaysNgAfterAllWaits) {
    module->unplugAfterReports = 3;  // firmware query, announcement and first parameter report get through
    window->OnWritePara();
    EXPECT_EQ(services.messages, Texts({"Upload Parameter NG"}));
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(pauses, std::vector<unsigned>({200, 50, 200, 200, 200}));
}

TEST_F(ParamsWindowTest, UnderNoneWithALongLoadedSsidTheTransferRefusesButItsStartIsSentWithoutKey) {
    std::memset(ModuleParams.ssid, 'L', 30);
    window->ShowParams();
    Edit(1006)->setText("left in the edit");
    window->OnWritePara();
    // The key check and the upload each transfer from the controls.
    EXPECT_EQ(services.messages, Texts({SSID_TOO_LONG_MESSAGE, SSID_TOO_LONG_MESSAGE, "Upload Parameter OK"}));
    EXPECT_EQ(std::string(module->module->Params().ssid), std::string(20, 'L'));
    EXPECT_STREQ(module->module->Params().key, "");
    EXPECT_EQ(Edit(1006)->text(), "");  // the key check empties it under NONE
}

class ConfigFileWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        OpenWindow();
    }
    std::string PathOf(const char* name) const { return QDir(folder.path()).filePath(name).toStdString(); }
    QTemporaryDir folder;
};

TEST_F(ConfigFileWindowTest, SaveWritesTheWindowAndTakesItAsTheParameterSetAndTheFileLoadsBack) {
    const std::string path = PathOf("start.txt");
    services.fileAnswers = {"", PathOf("missing-folder/x.txt"), path};
    window->OnSaveConfiguration();  // cancelled
    Edit(1013)->clear();
    window->OnSaveConfiguration();  // failed: the edits and the parameter set stay
    EXPECT_EQ(services.messages, Texts({"Save database file failure"}));
    EXPECT_EQ(ModuleParams.channel, 0);
    EXPECT_EQ(Edit(1013)->text(), "");
    EXPECT_TRUE(QDir(folder.path()).isEmpty());

    Edit(1013)->setText("FF");
    window->OnSaveConfiguration();
    EXPECT_EQ(services.fileDialogs, Texts(3, "save Txt file(*.txt) txt"));  // cancelled, failed, saved
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              QByteArray("[G1]\r\n01,02,00,\r\n[G2]\r\nLQ-3860,\r\n[G3]\r\n*,\r\n[G4]\r\nFF,FF,FF,FF,FF,FF,\r\n[END]\r\n"));
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(ModuleParams.mode, MODE_ADHOC);
    EXPECT_EQ(ModuleParams.channel, 2);
    EXPECT_STREQ(ModuleParams.ssid, "LQ-3860");

    Choose(1004, MODE_AP);  // changed after saving: loading the file brings the saved state back
    Edit(1005)->setText("lab");
    Edit(1016)->setText("7e");
    ModuleParams = ModuleParamSet{};
    services.fileAnswers = {path};
    window->OnLoadConfiguration();
    EXPECT_EQ(services.fileDialogs.back(), "open Text File (*.txt)");
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(Shown({1004, 1007, 1008, 1005, 1016}), QStringList({"Ad-Hoc", "2", "NONE", "LQ-3860", "FF"}));
    EXPECT_EQ(ModuleParams.channel, 2);
}

TEST_F(ConfigFileWindowTest, BrokenOrMissingFileShowsItsMessageAndChangesNothing) {
    const std::string path = PathOf("broken.txt");
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[G1]\r\n00,05,01,\r\n[G2]\r\nx,\r\n[G4]\r\n01,02,03,04,05,06,\r\n");
    file.close();
    services.fileAnswers = {path, PathOf("absent.txt")};
    window->OnLoadConfiguration();
    window->OnLoadConfiguration();
    EXPECT_EQ(services.messages, Texts({"[G3] format error", "Open database file failure"}));
    EXPECT_EQ(Combo(1004)->currentText(), "Ad-Hoc");
    EXPECT_EQ(ModuleParams.channel, 0);
}
