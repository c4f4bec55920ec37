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

TEST(ModuleBehaviourAnswers, FreshModuleHoldsTheFactorySettings) {
    ModuleParamSet expected;
    expected.mode = MODE_AP;
    expected.channel = 6;
    expected.encryption = 4;
    ASSERT_STREQ(ENCRYPTION_ITEMS.at(expected.encryption), "WPA2-PSK(AES)");
    StoreParamText(expected.ssid, "LQ-3860");
    StoreParamText(expected.key, "lq3860-default");
    const std::uint8_t mac[MAC_LENGTH] = {0x00, 0x0C, 0x29, 0x38, 0x60, 0x01};
    std::memcpy(expected.mac, mac, MAC_LENGTH);
    ModuleBehaviour module;
    EXPECT_EQ(std::memcmp(&module.Params(), &expected, sizeof expected), 0);
}

TEST(ModuleBehaviourAnswers, FirmwareAndSignalRepliesPassTheHostTests) {
    ModuleBehaviour module;
    module.SetFirmware('3', '4', "240229");
    module.SetSignalLevel('2');
    const auto firmware = module.HandleOutputReport(Command(CMD_FIRMWARE));
    FirmwareInfo info;
    ASSERT_TRUE(firmware && DecodeFirmwareReply(*firmware, info));
    EXPECT_EQ(info.versionText, "3.4");
    EXPECT_EQ(info.dateText, "2024/02/29 ");

    const auto signal = module.HandleOutputReport(Command(CMD_SIGNAL));
    std::uint8_t level = 0;
    ASSERT_TRUE(signal && DecodeSignalReply(*signal, level));
    EXPECT_EQ(level, '2');
}

TEST(ModuleBehaviourAnswers, UnknownOrIncompleteCommandsGetNoAnswer) {
    HidReport trailing = Command(CMD_FIRMWARE);
    trailing[9] = 'x';
    ModuleBehaviour module;
    for (const HidReport& report : {Command("AT+iXX\r\n"), Command("AT+iFW"), HidReport{}, trailing}) {
        EXPECT_FALSE(module.HandleOutputReport(report));
    }
}

TEST(ModuleBehaviourAnswers, OnlyAnAnnouncedUploadIsStoredAndOnlyWhenBothReportsArrived) {
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

    EXPECT_FALSE(module.HandleOutputReport(first));  // not announced: ignored
    EXPECT_STREQ(module.Params().ssid, "LQ-3860");
    const auto ack = module.HandleOutputReport(Command(CMD_ANNOUNCE_UPLOAD));
    ASSERT_TRUE(ack && IsUploadAcknowledged(*ack));
    EXPECT_FALSE(module.HandleOutputReport(first));
    EXPECT_EQ(storedCalls, 0);
    EXPECT_STREQ(module.Params().ssid, "LQ-3860");  // nothing stored halfway
    EXPECT_FALSE(module.HandleOutputReport(second));
    EXPECT_EQ(storedCalls, 1);
    EXPECT_EQ(std::memcmp(&module.Params(), &uploaded, sizeof uploaded), 0);

    const auto read1 = module.HandleOutputReport(Command(CMD_READ_PARAMS1));
    const auto read2 = module.HandleOutputReport(Command(CMD_READ_PARAMS2));
    ASSERT_TRUE(read1 && read2);
    EXPECT_EQ(*read1, first);
    EXPECT_EQ(*read2, second);
}

using SimulatedPlatformFaults = LinkFixture;

TEST_F(SimulatedPlatformFaults, UnplugAfterReportsCutsTheConnection) {
    SimulatedInterface& module = platform.AddModule();
    module.unplugAfterReports = 2;
    ScanAndOpenFirst();
    const HidReport report = Command(CMD_SIGNAL);
    for (const int accepted : {1, 1, 0}) EXPECT_EQ(HID_Write(report.data(), HID_REPORT_SIZE, nullptr), accepted);
    EXPECT_EQ(module.deliveredReports, 2);
    HID_ClearList();
    EXPECT_EQ(HID_Enumerate(), 0);  // no longer listed
}

TEST_F(SimulatedPlatformFaults, NextReplyReplacesOneAnswerOnly) {
    platform.AddModule().nextReply = HidReport{0, 0, 0, 0, 0, 0x5A};
    ScanAndOpenFirst();
    LinkState link;
    HidReport reply{};
    ASSERT_TRUE(ExchangeCommand(link, CMD_FIRMWARE, 0, reply));
    EXPECT_EQ(reply, (HidReport{0, 0, 0, 0, 0, 0x5A}));
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
