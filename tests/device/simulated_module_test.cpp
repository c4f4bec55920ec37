// The simulated module: its answers and the upload handshake; and a
// connection that outlives its simulated platform.
#include <gtest/gtest.h>

#include <cstring>

#include "device/command_protocol.h"
#include "device/module_behaviour.h"
#include "device/simulated_platform.h"

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
    std::vector<std::string> stored;
    module.OnParamsStored([&stored](const ModuleParamSet& params) { stored.emplace_back(params.ssid); });
    ModuleParamSet uploaded;
    uploaded.mode = MODE_ADHOC;
    uploaded.channel = 11;
    StoreParamText(uploaded.ssid, "ABCDEFGHIJKLMNOPQRST");
    StoreParamText(uploaded.key, std::string(63, 'K'));
    HidReport first;
    HidReport second;
    BuildParamReport1(uploaded, first);
    BuildParamReport2(uploaded, second);

    EXPECT_FALSE(module.HandleOutputReport(first));  // not announced: ignored
    const auto ack = module.HandleOutputReport(Command(CMD_ANNOUNCE_UPLOAD));
    ASSERT_TRUE(ack && IsUploadAcknowledged(*ack));
    EXPECT_FALSE(module.HandleOutputReport(first));
    EXPECT_STREQ(module.Params().ssid, "LQ-3860");  // nothing stored halfway
    EXPECT_FALSE(module.HandleOutputReport(second));
    EXPECT_EQ(stored, std::vector<std::string>{"ABCDEFGHIJKLMNOPQRST"});
    EXPECT_EQ(std::memcmp(&module.Params(), &uploaded, sizeof uploaded), 0);
    EXPECT_EQ(module.HandleOutputReport(Command(CMD_READ_PARAMS1)), first);
    EXPECT_EQ(module.HandleOutputReport(Command(CMD_READ_PARAMS2)), second);
}

TEST(SimulatedPlatform, ConnectionOutlivingThePlatformFailsSafely) {
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
