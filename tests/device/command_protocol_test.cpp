// SPDX-License-Identifier: MIT
// Every byte of the reports that cross the link and the reply tests; the
// simulated module's answers and a connection outliving its platform.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "device/command_protocol.h"
#include "simulated_module/module_behaviour.h"
#include "simulated_module/simulated_platform.h"

namespace lq3860 {

namespace {

// Zeros with `text` from byte `first` on.
HidReport ReportWithText(std::size_t first, const std::string& text) {
    HidReport report{};
    std::memcpy(report.data() + first, text.data(), text.size());
    return report;
}

// A report built over leftovers, which must not survive.
template <typename Build>
HidReport Built(Build build) {
    HidReport report;
    report.fill(0xAA);
    build(report);
    return report;
}

HidReport Command(const char* text) {
    return Built([text](HidReport& report) { BuildCommandReport(text, report); });
}

ModuleParamSet SampleParams(const std::string& ssid, const std::string& key) {
    ModuleParamSet params{1, 13, 3, {}, {}, {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xFF}};
    StoreParamText(params.ssid, ssid);
    StoreParamText(params.key, key);
    return params;
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
    using namespace std::string_literals;
    EXPECT_EQ(Built([](HidReport& r) {
                  BuildFirmwareReply({'1', '2'}, {'1', '3', '0', '5', '2', '0'}, r);
              }),
              ReportWithText(8, "12130520\0OK"s));
    EXPECT_EQ(Built([](HidReport& r) { BuildSignalReply(0xFF, r); }), ReportWithText(10, "\xFF\0OK"s));
    EXPECT_EQ(Built(BuildUploadAcknowledgement), ReportWithText(1, "AT+iWP OK"));
    for (const auto& [okAt, k, accepted] : {std::tuple(17, 'K', true), {16, 'K', false}, {17, 'k', false}}) {
        HidReport reply = ReportWithText(8, "12130520");
        reply[okAt] = 'O';
        reply[okAt + 1] = static_cast<std::uint8_t>(k);
        FirmwareInfo info{"old", "old date"};
        EXPECT_EQ(DecodeFirmwareReply(reply, info), accepted) << okAt << k;
        EXPECT_EQ(info.versionText + info.dateText, accepted ? "1.22013/05/20 " : "oldold date") << okAt << k;
    }
    for (const auto& [okAt, sent, accepted] : {std::tuple(12, 0x35, true), {11, '2', false}, {13, '2', false}}) {
        HidReport reply = ReportWithText(okAt, "OK");
        reply[10] = static_cast<std::uint8_t>(sent);
        std::uint8_t level = '1';
        EXPECT_EQ(DecodeSignalReply(reply, level), accepted) << okAt;
        EXPECT_EQ(level, accepted ? sent : '1') << okAt;
    }
    HidReport withTail = ReportWithText(1, "AT+iWP OK\0Q"s);
    withTail[0] = 0x7F;
    EXPECT_TRUE(IsUploadAcknowledged(withTail));
    for (const HidReport& other :
         {ReportWithText(1, "AT+iWP OKX"), ReportWithText(1, "AT+iWP Ok"), ReportWithText(2, "AT+iWP OK")}) {
        EXPECT_FALSE(IsUploadAcknowledged(other)) << PayloadText(other);
    }
}

// Report 1 carries mode, channel, encryption and MAC from byte 1 and at most
// 20 SSID characters from byte 11, report 2 the key from byte 1; taking them
// back restores the set (no terminators travel) and ignores the bytes outside
// the fields.
TEST(ParamReports, CarryTheFieldsAndTheirTextsAndAreTakenBack) {
    for (const std::string ssid : {"abc", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}) {
        const std::string key(ssid.size() == 3 ? 1 : 63, 'k');
        HidReport first = Built([&](HidReport& r) { BuildParamReport1(SampleParams(ssid, key), r); });
        HidReport second = Built([&](HidReport& r) { BuildParamReport2(SampleParams(ssid, key), r); });
        HidReport expected = ReportWithText(11, ssid.substr(0, SSID_SENT_LENGTH));
        const std::uint8_t fields[] = {1, 13, 3, 0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xFF};  // mode .. MAC
        std::memcpy(expected.data() + 1, fields, sizeof fields);
        EXPECT_EQ(first, expected) << ssid;
        EXPECT_EQ(second, ReportWithText(1, key)) << ssid;

        first[0] = second[0] = 'W';
        first[10] = 'X';
        std::memset(first.data() + 31, 'Y', 34);
        second[64] = 'Z';
        ModuleParamSet taken = SampleParams(std::string(40, 's'), std::string(63, 'o'));
        taken.mode = taken.channel = taken.encryption = 99;
        taken.mac[0] = 0x77;
        TakeParamReport1(first, taken);
        TakeParamReport2(second, taken);
        const ModuleParamSet sent = SampleParams(ssid.substr(0, SSID_SENT_LENGTH), key);
        EXPECT_EQ(std::memcmp(&taken, &sent, sizeof sent), 0) << ssid;
    }
}

// Unknown or incomplete commands get no answer; an upload is stored only
// when announced and only when both parameter reports arrived.
TEST(ModuleBehaviourAnswers, OnlyTheExactCommandsAndAnAnnouncedUploadCount) {
    HidReport trailing = Command(CMD_FIRMWARE);
    trailing[9] = 'x';
    ModuleBehaviour module;
    for (const HidReport& report : {Command("AT+iXX\r\n"), Command("AT+iFW"), trailing}) {
        EXPECT_FALSE(module.HandleOutputReport(report));
    }
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
    ASSERT_TRUE(connection && !denied);
    owned.reset();
    HidReport report = Command(CMD_FIRMWARE);
    std::u16string name;
    EXPECT_EQ(connection->Write(report.data(), report.size()) + connection->Read(report.data(), report.size(), 10), -2);
    EXPECT_FALSE(connection->ProductString(name));
}

}  // namespace lq3860
