// The simulated module: its answers, the upload handshake and the platform's
// fault injection.
#include <cstring>

#include "device/module_behaviour.h"
#include "device/module_link.h"
#include "link_fixture.h"

namespace {

HidReport Command(const char* text) {
    HidReport report;
    BuildCommandReport(text, report);
    return report;
}

}  // namespace

TEST(ModuleBehaviourAnswers, FreshModuleHasDocumentedDefaults) {
    ModuleBehaviour module;
    const ModuleParamSet& params = module.Params();
    EXPECT_EQ(params.mode, MODE_AP);
    EXPECT_EQ(params.channel, 6);
    EXPECT_STREQ(ENCRYPTION_ITEMS.at(params.encryption), "WPA2-PSK(AES)");
    EXPECT_STREQ(params.ssid, "LQ-3860");
    EXPECT_STREQ(params.key, "lq3860-default");
    const std::uint8_t mac[MAC_LENGTH] = {0x00, 0x0C, 0x29, 0x38, 0x60, 0x01};
    EXPECT_EQ(std::memcmp(params.mac, mac, MAC_LENGTH), 0);
}

TEST(ModuleBehaviourAnswers, FirmwareAndSignalRepliesPassTheHostTests) {
    ModuleBehaviour module;
    module.SetFirmware('3', '4', "240229");
    module.SetSignalLevel('2');
    const auto firmware = module.HandleOutputReport(Command(CMD_FIRMWARE));
    ASSERT_TRUE(firmware);
    FirmwareInfo info;
    ASSERT_TRUE(DecodeFirmwareReply(*firmware, info));
    EXPECT_EQ(info.versionText, "3.4");
    EXPECT_EQ(info.dateText, "2024/02/29 ");

    const auto signal = module.HandleOutputReport(Command(CMD_SIGNAL));
    ASSERT_TRUE(signal);
    std::uint8_t level = 0;
    ASSERT_TRUE(DecodeSignalReply(*signal, level));
    EXPECT_EQ(level, '2');
}

TEST(ModuleBehaviourAnswers, UnknownOrIncompleteCommandsGetNoAnswer) {
    ModuleBehaviour module;
    EXPECT_FALSE(module.HandleOutputReport(Command("AT+iXX\r\n")));
    EXPECT_FALSE(module.HandleOutputReport(Command("AT+iFW")));
    EXPECT_FALSE(module.HandleOutputReport(HidReport{}));
    HidReport trailing = Command(CMD_FIRMWARE);
    trailing[9] = 'x';
    EXPECT_FALSE(module.HandleOutputReport(trailing));
}

TEST(ModuleBehaviourAnswers, UploadStoresBothReportsThenReadsThemBack) {
    ModuleBehaviour module;
    int storedCalls = 0;
    module.OnParamsStored([&storedCalls](const ModuleParamSet&) { ++storedCalls; });

    ModuleParamSet uploaded;
    uploaded.mode = MODE_ADHOC;
    uploaded.channel = 11;
    uploaded.encryption = 2;
    StoreParamText(uploaded.ssid, "ABCDEFGHIJKLMNOPQRST");
    StoreParamText(uploaded.key, std::string(63, 'K'));
    const std::uint8_t mac[MAC_LENGTH] = {1, 2, 3, 4, 5, 6};
    std::memcpy(uploaded.mac, mac, MAC_LENGTH);
    HidReport first;
    HidReport second;
    BuildParamReport1(uploaded, first);
    BuildParamReport2(uploaded, second);

    const auto ack = module.HandleOutputReport(Command(CMD_ANNOUNCE_UPLOAD));
    ASSERT_TRUE(ack);
    EXPECT_TRUE(IsUploadAcknowledged(*ack));
    EXPECT_FALSE(module.HandleOutputReport(first));
    EXPECT_EQ(storedCalls, 0);
    EXPECT_STREQ(module.Params().ssid, "LQ-3860");  // nothing stored halfway
    EXPECT_FALSE(module.HandleOutputReport(second));
    EXPECT_EQ(storedCalls, 1);

    const auto read1 = module.HandleOutputReport(Command(CMD_READ_PARAMS1));
    const auto read2 = module.HandleOutputReport(Command(CMD_READ_PARAMS2));
    ASSERT_TRUE(read1 && read2);
    EXPECT_EQ(*read1, first);
    EXPECT_EQ(*read2, second);
}

TEST(ModuleBehaviourAnswers, ParameterReportsWithoutAnnouncementAreIgnored) {
    ModuleBehaviour module;
    ModuleParamSet other;
    StoreParamText(other.ssid, "intruder");
    HidReport first;
    BuildParamReport1(other, first);
    EXPECT_FALSE(module.HandleOutputReport(first));
    EXPECT_STREQ(module.Params().ssid, "LQ-3860");
}

using SimulatedRoundTrip = LinkFixture;

TEST_F(SimulatedRoundTrip, UploadThenDownloadThroughTheLink) {
    SimulatedInterface& module = platform.AddModule();
    ScanAndOpenFirst();
    LinkState link;
    link.deviceOpen = 1;

    ModuleParamSet sent;
    sent.mode = MODE_AP;
    sent.channel = 1;
    sent.encryption = 1;
    StoreParamText(sent.ssid, "abc");
    StoreParamText(sent.key, "12345");
    HidReport reply{};
    ASSERT_TRUE(ExchangeCommand(link, CMD_ANNOUNCE_UPLOAD, 0, reply));
    ASSERT_TRUE(IsUploadAcknowledged(reply));
    HidReport report;
    BuildParamReport1(sent, report);
    ASSERT_NE(HID_Write(report.data(), HID_REPORT_SIZE, nullptr), 0);
    BuildParamReport2(sent, report);
    ASSERT_NE(HID_Write(report.data(), HID_REPORT_SIZE, nullptr), 0);
    EXPECT_TRUE(module.pendingInput.empty());  // parameter reports get no answer

    ModuleParamSet received;
    ASSERT_TRUE(ExchangeCommand(link, CMD_READ_PARAMS1, 200, reply));
    TakeParamReport1(reply, received);
    ASSERT_TRUE(ExchangeCommand(link, CMD_READ_PARAMS2, 200, reply));
    TakeParamReport2(reply, received);
    EXPECT_EQ(std::memcmp(&received, &sent, sizeof sent), 0);
    EXPECT_EQ(std::memcmp(&module.module->Params(), &sent, sizeof sent), 0);
}

using SimulatedPlatformFaults = LinkFixture;

TEST_F(SimulatedPlatformFaults, UnplugAfterReportsCutsTheConnection) {
    SimulatedInterface& module = platform.AddModule();
    module.unplugAfterReports = 2;
    ScanAndOpenFirst();
    const HidReport report = Command(CMD_SIGNAL);
    EXPECT_NE(HID_Write(report.data(), HID_REPORT_SIZE, nullptr), 0);
    EXPECT_NE(HID_Write(report.data(), HID_REPORT_SIZE, nullptr), 0);
    EXPECT_EQ(HID_Write(report.data(), HID_REPORT_SIZE, nullptr), 0);
    EXPECT_EQ(module.deliveredReports, 2);
    HID_ClearList();
    EXPECT_EQ(HID_Enumerate(), 0);  // no longer listed
}

TEST_F(SimulatedPlatformFaults, NextReplyReplacesOneAnswerOnly) {
    SimulatedInterface& module = platform.AddModule();
    ScanAndOpenFirst();
    LinkState link;
    HidReport custom{};
    custom[5] = 0x5A;
    module.nextReply = custom;
    HidReport reply{};
    ASSERT_TRUE(ExchangeCommand(link, CMD_FIRMWARE, 0, reply));
    EXPECT_EQ(reply, custom);
    ASSERT_TRUE(ExchangeCommand(link, CMD_FIRMWARE, 0, reply));
    EXPECT_EQ(reply[17], 'O');
}

TEST_F(SimulatedPlatformFaults, ConnectionOutlivingThePlatformFailsSafely) {
    auto owned = std::make_unique<SimulatedPlatform>();
    owned->AddModule(u"short-lived");
    bool denied = true;
    std::unique_ptr<HidConnection> connection = owned->Open("sim:0", denied);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(denied);
    owned.reset();
    HidReport report = Command(CMD_FIRMWARE);
    EXPECT_EQ(connection->Write(report.data(), report.size()), -1);
    EXPECT_EQ(connection->Read(report.data(), report.size(), 10), -1);
    std::u16string name;
    EXPECT_FALSE(connection->ProductString(name));
}
