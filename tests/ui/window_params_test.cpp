// Read para, Write para and the configuration file commands, with the
// messages they end in and what reaches the simulated module.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

#include "device/command_protocol.h"
#include "window_fixture.h"

namespace {

std::string PayloadText(const HidReport& report) {
    return std::string(reinterpret_cast<const char*>(report.data() + 1),
                       strnlen(reinterpret_cast<const char*>(report.data() + 1), HID_REPORT_SIZE - 1));
}

ModuleParamSet SampleParams() {
    ModuleParamSet params;
    params.mode = MODE_AP;
    params.channel = 0;
    params.encryption = 1;
    std::strcpy(params.ssid, "workshop");
    std::strcpy(params.key, "0123456789");
    const std::uint8_t mac[MAC_LENGTH] = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    std::memcpy(params.mac, mac, MAC_LENGTH);
    return params;
}

}  // namespace

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
    }

    // Records the progress bar's positions as the procedures repaint it.
    void WatchProgress() {
        auto* bar = Control<QProgressBar>(1010);
        QObject::connect(bar, &QProgressBar::valueChanged, bar, [this](int value) { positions.push_back(value); });
    }

    SimulatedInterface* module = nullptr;
    std::vector<int> positions;
};

TEST_F(ParamsWindowTest, ReadParaShowsTheModuleParameters) {
    module->module->SetParams(SampleParams());
    WatchProgress();
    window->OnReadPara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Download Parameter OK"}));
    EXPECT_EQ(Combo(1004)->currentText(), "AP");
    EXPECT_EQ(Combo(1007)->currentText(), "0");
    EXPECT_EQ(Combo(1008)->currentText(), "WEP64");
    EXPECT_EQ(Edit(1005)->text(), "workshop");
    EXPECT_EQ(Edit(1006)->text(), "0123456789");
    EXPECT_EQ(MacTexts(), QStringList({"00", "0A", "1B", "2C", "3D", "4E"}));
    EXPECT_TRUE(Control<QProgressBar>(1010)->isHidden());
    EXPECT_EQ(positions, std::vector<int>({0, 250, 500, 750, 1000}));
    EXPECT_EQ(pauses, std::vector<unsigned>({200, 200, 200, 200, 200}));
}

TEST_F(ParamsWindowTest, FailedReadParaLeavesTheWindowAndSaysNg) {
    module->module->SetParams(SampleParams());
    module->failRead = true;
    // Ticks go on while the message is open: the dropped link is rebuilt then.
    QStringList listDuringMessage;
    services.duringMessage = [this, &listDuringMessage] {
        window->OnTimer();
        listDuringMessage = Items(1001);
    };
    window->OnReadPara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Download Parameter NG"}));
    EXPECT_EQ(listDuringMessage, QStringList({"<None>", "LQ-3860 (simulated)"}));
    EXPECT_EQ(Combo(1004)->currentText(), "Ad-Hoc");
    EXPECT_EQ(Edit(1005)->text(), "LQ-3860");
    EXPECT_EQ(window->Link().deviceOpen, 0);
}

TEST_F(WindowTest, ReadParaWithoutModuleRunsItsWaitsAndSaysNg) {
    OpenWindow();
    window->OnReadPara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Download Parameter NG"}));
    EXPECT_EQ(pauses, std::vector<unsigned>({200, 200, 200, 200, 200}));
}

TEST_F(ParamsWindowTest, WriteParaSendsTheWindowFields) {
    Choose(1004, MODE_AP);
    Choose(1007, 5);
    Combo(1008)->setCurrentIndex(4);
    Edit(1006)->setText("a-wpa-passphrase");
    Edit(1005)->setText("site-7");
    Edit(1012)->clear();
    window->OnWritePara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Upload Parameter OK"}));
    ASSERT_EQ(module->written.size(), 3u);
    EXPECT_EQ(PayloadText(module->written[0]), "AT+iWP\r\n");

    const ModuleParamSet& stored = module->module->Params();
    EXPECT_EQ(stored.mode, MODE_AP);
    EXPECT_EQ(stored.channel, 5);
    EXPECT_EQ(stored.encryption, 4);
    EXPECT_STREQ(stored.ssid, "site-7");
    EXPECT_STREQ(stored.key, "a-wpa-passphrase");
    EXPECT_EQ(stored.mac[1], 0xFF);
    EXPECT_EQ(Edit(1012)->text(), "FF");  // the emptied edit shows what was sent
    EXPECT_EQ(ModuleParams.encryption, 4);
    EXPECT_EQ(pauses, std::vector<unsigned>({200, 50, 200, 200, 200}));
}

TEST_F(ParamsWindowTest, WriteParaUnderNoneSendsNoKey) {
    Edit(1006)->setText("left in the edit");
    window->OnWritePara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Upload Parameter OK"}));
    EXPECT_STREQ(module->module->Params().key, "");
    EXPECT_EQ(Edit(1006)->text(), "");  // the key check empties it under NONE
}

TEST_F(ParamsWindowTest, RefusedKeySendsNothingAtAll) {
    Combo(1008)->setCurrentIndex(1);
    Edit(1006)->setText("short");
    window->OnWritePara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"The KEY must be 10 characters!"}));
    EXPECT_TRUE(module->written.empty());
    EXPECT_EQ(window->Link().deviceOpen, 1);
}

TEST_F(ParamsWindowTest, UnacknowledgedAnnouncementSaysNgAndKeepsTheLink) {
    HidReport reply{};
    std::memcpy(reply.data() + 1, "AT+iWP OK\r\n", 11);
    module->nextReply = reply;
    window->OnWritePara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Upload Parameter NG"}));
    EXPECT_EQ(module->written.size(), 1u);
    EXPECT_EQ(window->Link().deviceOpen, 1);
}

TEST_F(ParamsWindowTest, LostModuleDuringTheUploadSaysNgAfterAllWaits) {
    module->unplugAfterReports = 3;  // firmware query, announcement and first parameter report get through
    window->OnWritePara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Upload Parameter NG"}));
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(pauses, std::vector<unsigned>({200, 50, 200, 200, 200}));
}

TEST_F(WindowTest, WriteParaWithoutModuleSaysNgAtOnce) {
    OpenWindow();
    window->OnWritePara();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Upload Parameter NG"}));
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(window->Link().rescanNeeded, 1);
}

TEST_F(ParamsWindowTest, LongLoadedSsidIsRefusedByTheTransferButItsStartIsSent) {
    ModuleParams.mode = MODE_ADHOC;
    std::memset(ModuleParams.ssid, 'L', 30);
    window->ShowParams();
    window->OnWritePara();
    ASSERT_EQ(services.messages.size(), 3u);  // key check and upload each transfer from the controls
    EXPECT_EQ(services.messages[0], SSID_TOO_LONG_MESSAGE);
    EXPECT_EQ(services.messages[1], SSID_TOO_LONG_MESSAGE);
    EXPECT_EQ(services.messages[2], "Upload Parameter OK");
    EXPECT_STREQ(module->module->Params().ssid, std::string(20, 'L').c_str());
}

class ConfigFileWindowTest : public WindowTest {
protected:
    std::string PathOf(const char* name) const { return QDir(folder.path()).filePath(name).toStdString(); }
    QByteArray Contents(const std::string& path) const {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir folder;
};

TEST_F(ConfigFileWindowTest, SaveWritesTheWindowAndTakesItAsTheParameterSet) {
    OpenWindow();
    const std::string path = PathOf("start.txt");
    services.fileAnswers.push_back(path);
    window->OnSaveConfiguration();
    EXPECT_EQ(services.saveFilters, std::vector<std::string>({"Txt file(*.txt)"}));
    EXPECT_EQ(services.saveSuffixes, std::vector<std::string>({"txt"}));
    EXPECT_EQ(Contents(path),
              QByteArray("[G1]\r\n01,02,00,\r\n[G2]\r\nLQ-3860,\r\n[G3]\r\n*,\r\n[G4]\r\nFF,FF,FF,FF,FF,FF,\r\n[END]\r\n"));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(ModuleParams.mode, MODE_ADHOC);
    EXPECT_EQ(ModuleParams.channel, 2);
    EXPECT_STREQ(ModuleParams.ssid, "LQ-3860");
}

TEST_F(ConfigFileWindowTest, CancelledSaveWritesNothing) {
    OpenWindow();
    window->OnSaveConfiguration();
    EXPECT_EQ(services.saveFilters.size(), 1u);
    EXPECT_EQ(ModuleParams.channel, 0);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(ConfigFileWindowTest, FailedSaveSaysSoAndLeavesTheParameterSet) {
    OpenWindow();
    Edit(1013)->clear();
    services.fileAnswers.push_back(PathOf("missing-folder/x.txt"));
    window->OnSaveConfiguration();
    EXPECT_EQ(services.messages, std::vector<std::string>({"Save database file failure"}));
    EXPECT_EQ(ModuleParams.channel, 0);
    EXPECT_EQ(ModuleParams.mode, 0);
    EXPECT_EQ(Edit(1013)->text(), "");
}

TEST_F(ConfigFileWindowTest, SavedFileLoadsBackIntoTheWindow) {
    OpenWindow();
    Choose(1004, MODE_AP);
    Combo(1008)->setCurrentIndex(3);
    Edit(1006)->setText("passphrase,with comma");
    Edit(1005)->setText("lab");
    Edit(1016)->setText("7e");
    const std::string path = PathOf("set.txt");
    services.fileAnswers.push_back(path);
    window->OnSaveConfiguration();

    window.reset();
    ModuleParams = ModuleParamSet{};
    OpenWindow();
    services.fileAnswers.push_back(path);
    window->OnLoadConfiguration();
    EXPECT_EQ(services.openFilters, std::vector<std::string>({"Text File (*.txt)"}));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(Combo(1004)->currentText(), "AP");
    EXPECT_EQ(Combo(1008)->currentText(), "WPA-PSK(TKIP)");
    EXPECT_EQ(Edit(1006)->text(), "passphrase,with comma");
    EXPECT_EQ(Edit(1005)->text(), "lab");
    EXPECT_EQ(MacTexts(), QStringList({"FF", "FF", "FF", "FF", "FF", "7E"}));
}

TEST_F(ConfigFileWindowTest, BrokenFileShowsItsMessageAndChangesNothing) {
    OpenWindow();
    const std::string path = PathOf("broken.txt");
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[G1]\r\n00,05,01,\r\n[G2]\r\nx,\r\n[G4]\r\n01,02,03,04,05,06,\r\n");
    file.close();
    services.fileAnswers.push_back(path);
    window->OnLoadConfiguration();
    EXPECT_EQ(services.messages, std::vector<std::string>({"[G3] format error"}));
    EXPECT_EQ(Combo(1004)->currentText(), "Ad-Hoc");
    EXPECT_EQ(ModuleParams.channel, 0);

    services.fileAnswers.push_back(PathOf("absent.txt"));
    window->OnLoadConfiguration();
    EXPECT_EQ(services.messages.back(), "Open database file failure");
}
