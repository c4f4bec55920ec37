// SPDX-License-Identifier: MIT
// Every byte of the reports that cross the link and the reply tests; the
// simulated module's answers and a connection outliving its platform.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "device/command_protocol.h"
#include "simulated_module/module_behaviour.h"
#include "simulated_module/simulated_platform.h"

namespace lq3860 {

namespace {

using namespace std::string_literals;

// Zeros with `text` from byte `first` on.
HidReport ReportWithText(std::size_t first, const std::string& text) {
    HidReport report{};
    return std::memcpy(report.data() + first, text.data(), text.size()), report;
}

// A report built over leftovers, which must not survive.
template <typename Build>
HidReport Built(Build build) {
    HidReport report;
    return report.fill(0xAA), build(report), report;
}

HidReport Command(const char* text) {
    return Built([text](HidReport& report) { BuildCommandReport(text, report); });
}

ModuleParamSet SampleParams(const std::string& ssid, const std::string& key) {
    ModuleParamSet params{1, 13, 3, {}, {}, {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xFF}};
    return StoreParamText(params.ssid, ssid), StoreParamText(params.key, key), params;
}

}  // namespace

TEST(CommandReports, TextStartsAtByteOneWithZerosAfterItAndIsCutToThePayload) {
    const std::string tooLong(100, 'Z');
    const std::pair<const char*, std::string> rows[] = {
        {CMD_FIRMWARE, "AT+iFW\r\n"},      {CMD_SIGNAL, "AT+iSS\r\n"},        {CMD_ANNOUNCE_UPLOAD, "AT+iWP\r\n"},
        {CMD_READ_PARAMS1, "AT+iRP1\r\n"}, {CMD_READ_PARAMS2, "AT+iRP2\r\n"}, {tooLong.c_str(), std::string(64, 'Z')}};
    for (const auto& [command, text] : rows) EXPECT_EQ(Command(command), ReportWithText(1, text)) << text;
}

// The replies as a module sends them, and the tests that accept them only
// with O K in place: firmware "1.2" of 2013/05/20 with O K at 17, signal
// level byte 10 with O K at 12 (taken as it arrives). The acknowledgement
// counts only as the exact text ended by zero; byte 0 and what follows the
// zero are not examined.
TEST(Replies, AreBuiltByteForByteAndAcceptedOnlyWithOkInPlace) {
    const auto firmware = [](HidReport& r) { BuildFirmwareReply({'1', '2'}, {'1', '3', '0', '5', '2', '0'}, r); };
    EXPECT_EQ(Built(firmware), ReportWithText(8, "12130520\0OK"s));
    EXPECT_EQ(Built([](HidReport& r) { BuildSignalReply(0xFF, r); }), ReportWithText(10, "\xFF\0OK"s));
    EXPECT_EQ(Built(BuildUploadAcknowledgement), ReportWithText(1, "AT+iWP OK"));
    // From byte 8: O K at 17, at 16, and a lower-case k.
    for (const auto& [text, accepted] :
         {std::pair("12130520\0OK"s, true), {"12130520OK"s, false}, {"12130520\0Ok"s, false}}) {
        FirmwareInfo info{"old", "old date"};
        EXPECT_EQ(DecodeFirmwareReply(ReportWithText(8, text), info), accepted) << text;
        EXPECT_EQ(info.versionText + info.dateText, accepted ? "1.22013/05/20 " : "oldold date") << text;
    }
    // From byte 10: O K at 12, at 11 and at 13.
    for (const auto& [text, accepted] : {std::pair("5\0OK"s, true), {"2OK"s, false}, {"2\0\0OK"s, false}}) {
        std::uint8_t level = '1';
        EXPECT_EQ(DecodeSignalReply(ReportWithText(10, text), level), accepted) << text;
        EXPECT_EQ(level, accepted ? '5' : '1') << text;
    }
    EXPECT_TRUE(IsUploadAcknowledged(ReportWithText(0, "\177AT+iWP OK\0Q"s)));  // 0x7F, then the text
    for (const HidReport& other :
         {ReportWithText(1, "AT+iWP OKX"), ReportWithText(1, "AT+iWP Ok"), ReportWithText(2, "AT+iWP OK")})
        EXPECT_FALSE(IsUploadAcknowledged(other)) << PayloadText(other);
}

// Report 1 carries mode, channel, encryption and MAC from byte 1 and at most
// 20 SSID characters from byte 11, report 2 the key from byte 1; taking them
// back restores the set (no terminators travel) and ignores the bytes outside
// the fields.
TEST(ParamReports, CarryTheFieldsAndTheirTextsAndAreTakenBack) {
    for (const std::string ssid : {"abc", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}) {
        const std::string key(ssid.size() == 3 ? 1 : 63, 'k'), sentSsid = ssid.substr(0, SSID_SENT_LENGTH);
        HidReport first = Built([&](HidReport& r) { BuildParamReport1(SampleParams(ssid, key), r); });
        HidReport second = Built([&](HidReport& r) { BuildParamReport2(SampleParams(ssid, key), r); });
        EXPECT_EQ(first, ReportWithText(1, "\x01\x0D\x03\x00\x1A\x2B\xC3\xD4\xFF\0"s + sentSsid)) << ssid;
        EXPECT_EQ(second, ReportWithText(1, key)) << ssid;

        first[0] = second[0] = second[64] = first[10] = 'W';
        std::memset(first.data() + 31, 'Y', 34);
        ModuleParamSet taken = SampleParams(std::string(40, 's'), std::string(63, 'o'));
        taken.mode = taken.channel = taken.encryption = taken.mac[0] = 99;
        TakeParamReport1(first, taken), TakeParamReport2(second, taken);
        const ModuleParamSet sent = SampleParams(sentSsid, key);
        EXPECT_EQ(std::memcmp(&taken, &sent, sizeof sent), 0) << ssid;
    }
}

// Unknown or incomplete commands get no answer; an upload is stored only
// when announced and only when both parameter reports arrived.
TEST(ModuleBehaviourAnswers, OnlyTheExactCommandsAndAnAnnouncedUploadCount) {
    ModuleBehaviour module;
    for (const char* command : {"AT+iXX\r\n", "AT+iFW", "AT+iFW\r\nx"})
        EXPECT_FALSE(module.HandleOutputReport(Command(command))) << command;
    int storedCount = 0;
    module.OnParamsStored([&storedCount](const ModuleParamSet&) { ++storedCount; });
    const ModuleParamSet uploaded = SampleParams("ABCDEFGHIJKLMNOPQRST", std::string(63, 'K'));
    const HidReport first = Built([&](HidReport& r) { BuildParamReport1(uploaded, r); });
    EXPECT_FALSE(module.HandleOutputReport(first));  // not announced: ignored
    ASSERT_TRUE(IsUploadAcknowledged(module.HandleOutputReport(Command(CMD_ANNOUNCE_UPLOAD)).value_or(HidReport{})));
    EXPECT_FALSE(module.HandleOutputReport(first));
    EXPECT_STREQ(module.Params().ssid, "LQ-3860");  // nothing stored halfway
    EXPECT_FALSE(module.HandleOutputReport(Built([&](HidReport& r) { BuildParamReport2(uploaded, r); })));
    EXPECT_EQ(storedCount, 1);
    EXPECT_EQ(std::memcmp(&module.Params(), &uploaded, sizeof uploaded), 0);
}

TEST(SimulatedPlatform, ConnectionOutlivingThePlatformFailsSafely) {
    auto owned = std::make_unique<SimulatedPlatform>();
    owned->AddModule();
    bool denied = true;
    const std::unique_ptr<HidConnection> connection = owned->Open("sim:0", denied);
    ASSERT_NE(connection, nullptr);
    EXPECT_FALSE(denied);
    owned.reset();
    HidReport report = Command(CMD_FIRMWARE);
    std::u16string name;
    EXPECT_EQ(connection->Write(report.data(), report.size()), -1);
    EXPECT_EQ(connection->Read(report.data(), report.size(), 10), -1);
    EXPECT_FALSE(connection->ProductString(name));
}

}  // namespace lq3860
