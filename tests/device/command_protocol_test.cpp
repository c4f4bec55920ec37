// SPDX-License-Identifier: MIT
// Every byte of the reports that cross the link and the reply tests; the
// simulated module's answers and a connection outliving its platform.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

ModuleParamSet SampleParams(const std::string& ssid, const std::string& key) {
    ModuleParamSet params{1, 13, 3, {}, {}, {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xFF}};
    StoreParamText(params.ssid, ssid);
    StoreParamText(params.key, key);
    return params;
}

HidReport Command(const char* text) {
    HidReport report;
    BuildCommandReport(text, report);
    return report;
}

}  // namespace

TEST(CommandReports, TextStartsAtByteOneWithZerosAfterItAndIsCutToThePayload) {
    const std::string tooLong(100, 'Z');
    const std::pair<const char*, std::string> rows[] = {
        {CMD_FIRMWARE, "AT+iFW\r\n"},      {CMD_SIGNAL, "AT+iSS\r\n"},        {CMD_ANNOUNCE_UPLOAD, "AT+iWP\r\n"},
        {CMD_READ_PARAMS1, "AT+iRP1\r\n"}, {CMD_READ_PARAMS2, "AT+iRP2\r\n"}, {tooLong.c_str(), std::string(64, 'Z')}};
    for (const auto& [command, text] : rows) {
        HidReport report;
        report.fill(0xAA);  // leftovers must not survive
        BuildCommandReport(command, report);
        EXPECT_EQ(report, ReportWithText(1, text)) << text;
    }
}

TEST(ReplyTests, FirmwareNeedsOkAt17And18AndOnlyThenFillsTheInfo) {
    struct Row {
        std::size_t okAt;
        char k;
        bool accepted;
    };
    for (const Row& row : {Row{17, 'K', true}, Row{16, 'K', false}, Row{17, 'k', false}}) {
        SCOPED_TRACE(row.okAt);
        HidReport reply = ReportWithText(8, "12130520");
        reply[row.okAt] = 'O';
        reply[row.okAt + 1] = static_cast<std::uint8_t>(row.k);
        FirmwareInfo info{"old", "old date"};
        EXPECT_EQ(DecodeFirmwareReply(reply, info), row.accepted);
        EXPECT_EQ(info.versionText, row.accepted ? "1.2" : "old");
        EXPECT_EQ(info.dateText, row.accepted ? "2013/05/20 " : "old date");
    }
}

TEST(ReplyTests, SignalNeedsOkAt12And13AndTakesByte10AsItArrives) {
    struct Row {
        std::size_t okAt;
        std::uint8_t level;
        bool accepted;
    };
    for (const Row& row : {Row{12, 0x35, true}, Row{12, 0xFF, true}, Row{11, '2', false}, Row{13, '2', false}}) {
        SCOPED_TRACE(row.okAt);
        HidReport reply = ReportWithText(row.okAt, "OK");
        reply[10] = row.level;
        std::uint8_t level = '1';
        EXPECT_EQ(DecodeSignalReply(reply, level), row.accepted);
        EXPECT_EQ(level, row.accepted ? row.level : '1');
    }
}

TEST(ReplyTests, UploadAcknowledgedOnlyByTheExactTextEndedByZero) {
    HidReport withTail = ReportWithText(1, "AT+iWP OK");
    withTail[0] = 0x7F;  // byte 0 and the bytes after the terminator are not examined
    withTail[20] = 'Q';
    HidReport noZero;
    noZero.fill('A');
    const std::vector<std::pair<HidReport, bool>> rows = {{ReportWithText(1, "AT+iWP OK"), true},
                                                          {withTail, true},
                                                          {ReportWithText(1, "AT+iWP OKX"), false},
                                                          {ReportWithText(1, "AT+iWP Ok"), false},
                                                          {ReportWithText(1, "AT+iWP"), false},
                                                          {ReportWithText(2, "AT+iWP OK"), false},
                                                          {HidReport{}, false},
                                                          {noZero, false}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(IsUploadAcknowledged(rows[i].first), rows[i].second);
    }
}

// Report 1 carries mode, channel, encryption and MAC from byte 1 and at most
// 20 SSID characters from byte 11, report 2 the key from byte 1; taking them
// back restores the set (no terminators travel) and ignores the bytes outside
// the fields.
TEST(ParamReports, CarryTheFieldsAndTheirTextsAndAreTakenBack) {
    for (const std::string ssid : {"abc", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}) {
        const std::string key(ssid.size() == 3 ? 1 : 63, 'k');
        HidReport first;
        first.fill(0xAA);  // leftovers must not survive
        HidReport second = first;
        BuildParamReport1(SampleParams(ssid, key), first);
        BuildParamReport2(SampleParams(ssid, key), second);
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
    for (const HidReport& report : {Command("AT+iXX\r\n"), Command("AT+iFW"), HidReport{}, trailing}) {
        EXPECT_FALSE(module.HandleOutputReport(report));
    }
    int storedCount = 0;
    module.OnParamsStored([&storedCount](const ModuleParamSet&) { ++storedCount; });
    const ModuleParamSet uploaded = SampleParams("ABCDEFGHIJKLMNOPQRST", std::string(63, 'K'));
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
