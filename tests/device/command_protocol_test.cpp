// Every byte of the reports that cross the link, and the reply tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/command_protocol.h"

namespace {

// Zeros with `text` from byte `first` on.
HidReport ReportWithText(std::size_t first, const std::string& text) {
    HidReport report{};
    std::memcpy(report.data() + first, text.data(), text.size());
    return report;
}

const std::uint8_t SAMPLE_MAC[MAC_LENGTH] = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xFF};

ModuleParamSet SampleParams(const std::string& ssid, const std::string& key) {
    ModuleParamSet params;
    params.mode = 1;
    params.channel = 13;
    params.encryption = 3;
    std::memcpy(params.mac, SAMPLE_MAC, MAC_LENGTH);
    StoreParamText(params.ssid, ssid);
    StoreParamText(params.key, key);
    return params;
}

}  // namespace

TEST(CommandReports, TextStartsAtByteOneWithZerosAfterItAndIsCutToThePayload) {
    const std::vector<std::string> commands = {CMD_FIRMWARE,     CMD_SIGNAL,       CMD_ANNOUNCE_UPLOAD,
                                               CMD_READ_PARAMS1, CMD_READ_PARAMS2, std::string(100, 'Z')};
    for (const std::string& command : commands) {
        HidReport report;
        report.fill(0xAA);  // leftovers must not survive
        BuildCommandReport(command.c_str(), report);
        EXPECT_EQ(report, ReportWithText(1, command.substr(0, HID_REPORT_SIZE - 1))) << command;
    }
}

TEST(ReplyTests, FirmwareNeedsOkAt17And18AndOnlyThenFillsTheInfo) {
    struct Row { std::size_t okAt; char k; bool accepted; };
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
    struct Row { std::size_t okAt; std::uint8_t level; bool accepted; };
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
    const std::vector<std::pair<HidReport, bool>> rows = {
        {ReportWithText(1, "AT+iWP OK"), true},   {withTail, true},
        {ReportWithText(1, "AT+iWP OKX"), false}, {ReportWithText(1, "AT+iWP Ok"), false},
        {ReportWithText(1, "AT+iWP"), false},     {ReportWithText(2, "AT+iWP OK"), false},
        {HidReport{}, false},                     {noZero, false}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(IsUploadAcknowledged(rows[i].first), rows[i].second);
    }
}

TEST(ParamReports, Report1CarriesTheFieldsAndAtMostTwentySsidCharacters) {
    for (const std::string ssid : {"abc", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}) {
        HidReport report;
        report.fill(0xAA);
        BuildParamReport1(SampleParams(ssid, "key"), report);
        HidReport expected = ReportWithText(11, ssid.substr(0, SSID_SENT_LENGTH));
        expected[1] = 1;
        expected[2] = 13;
        expected[3] = 3;
        std::memcpy(expected.data() + 4, SAMPLE_MAC, MAC_LENGTH);
        EXPECT_EQ(report, expected) << ssid;
    }
}

TEST(ParamReports, Report2CarriesTheKeyFromByteOne) {
    for (const std::string& key : {std::string("k"), std::string(63, 'k')}) {
        HidReport report;
        report.fill(0xAA);
        BuildParamReport2(SampleParams("ssid", key), report);
        EXPECT_EQ(report, ReportWithText(1, key)) << key.size();
    }
}

TEST(ParamReports, TakingBuiltReportsRestoresTheSetAndIgnoresBytesOutsideTheFields) {
    const ModuleParamSet sent = SampleParams("ABCDEFGHIJKLMNOPQRST", std::string(63, 'k'));  // no terminators travel
    HidReport first;
    HidReport second;
    BuildParamReport1(sent, first);
    BuildParamReport2(sent, second);
    first[0] = second[0] = 'W';
    first[10] = 'X';
    std::memset(first.data() + 31, 'Y', 34);
    second[64] = 'Z';
    ModuleParamSet taken = SampleParams(std::string(40, 's'), std::string(63, 'o'));
    taken.mode = taken.channel = taken.encryption = 99;
    taken.mac[0] = 0x77;
    TakeParamReport1(first, taken);
    TakeParamReport2(second, taken);
    EXPECT_EQ(std::memcmp(&taken, &sent, sizeof sent), 0);
}
