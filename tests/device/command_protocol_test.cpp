// Every byte of the reports that cross the link, and the reply tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "device/command_protocol.h"

namespace {

// The expected report: zeros with `text` from byte `first` on.
HidReport ReportWithText(std::size_t first, const std::string& text) {
    HidReport report{};
    std::memcpy(report.data() + first, text.data(), text.size());
    return report;
}

HidReport FirmwareReply(std::size_t okPosition) {
    HidReport reply = ReportWithText(8, "12130520");
    reply[okPosition] = 'O';
    reply[okPosition + 1] = 'K';
    return reply;
}

}  // namespace

TEST(CommandReports, EachCommandStartsAtByteOneWithZerosAfterIt) {
    for (const char* command : {CMD_FIRMWARE, CMD_SIGNAL, CMD_ANNOUNCE_UPLOAD, CMD_READ_PARAMS1, CMD_READ_PARAMS2}) {
        HidReport report;
        report.fill(0xAA);  // leftovers must not survive
        BuildCommandReport(command, report);
        EXPECT_EQ(report, ReportWithText(1, command)) << command;
    }
}

TEST(CommandReports, OverlongCommandIsCutToThePayload) {
    const std::string longCommand(100, 'Z');
    HidReport report;
    BuildCommandReport(longCommand.c_str(), report);
    EXPECT_EQ(report[0], 0);
    EXPECT_EQ(report[1], 'Z');
    EXPECT_EQ(report[64], 'Z');
}

TEST(FirmwareReply, AcceptedWithOkAt17And18) {
    FirmwareInfo info;
    ASSERT_TRUE(DecodeFirmwareReply(FirmwareReply(17), info));
    EXPECT_EQ(info.versionText, "1.2");
    EXPECT_EQ(info.dateText, "2013/05/20 ");
}

TEST(FirmwareReply, RefusedWithOkAt16And17AndLeavesInfoAlone) {
    FirmwareInfo info{"old", "old date"};
    EXPECT_FALSE(DecodeFirmwareReply(FirmwareReply(16), info));
    EXPECT_EQ(info.versionText, "old");
    EXPECT_EQ(info.dateText, "old date");
    HidReport lowerCase = FirmwareReply(17);
    lowerCase[18] = 'k';
    EXPECT_FALSE(DecodeFirmwareReply(lowerCase, info));
}

TEST(SignalReply, LevelIsStoredAsItArrives) {
    HidReport reply = ReportWithText(12, "OK");
    reply[10] = 0x35;
    std::uint8_t level = 0;
    ASSERT_TRUE(DecodeSignalReply(reply, level));
    EXPECT_EQ(level, 0x35);

    reply[10] = 0xFF;
    ASSERT_TRUE(DecodeSignalReply(reply, level));
    EXPECT_EQ(level, 0xFF);
}

TEST(SignalReply, RefusedWithoutOkAt12And13) {
    HidReport reply = ReportWithText(11, "OK");
    reply[10] = '2';
    std::uint8_t level = '1';
    EXPECT_FALSE(DecodeSignalReply(reply, level));
    EXPECT_EQ(level, '1');
}

TEST(UploadAcknowledgement, OnlyTheExactTextFollowedByZero) {
    EXPECT_TRUE(IsUploadAcknowledged(ReportWithText(1, "AT+iWP OK")));

    HidReport trailing = ReportWithText(1, "AT+iWP OKX");
    EXPECT_FALSE(IsUploadAcknowledged(trailing));
    EXPECT_FALSE(IsUploadAcknowledged(ReportWithText(1, "AT+iWP Ok")));
    EXPECT_FALSE(IsUploadAcknowledged(ReportWithText(1, "AT+iWP")));
    EXPECT_FALSE(IsUploadAcknowledged(ReportWithText(2, "AT+iWP OK")));
    EXPECT_FALSE(IsUploadAcknowledged(HidReport{}));

    // Bytes after the terminator are not examined; byte 0 neither.
    HidReport withTail = ReportWithText(1, "AT+iWP OK");
    withTail[0] = 0x7F;
    withTail[20] = 'Q';
    EXPECT_TRUE(IsUploadAcknowledged(withTail));
}

TEST(UploadAcknowledgement, PayloadWithoutAnyZeroIsRefused) {
    HidReport full;
    full.fill('A');
    EXPECT_FALSE(IsUploadAcknowledged(full));
}

class ParamReports : public ::testing::Test {
protected:
    ModuleParamSet params;
    HidReport report;
    void SetUp() override {
        params.mode = 1;
        params.channel = 13;
        params.encryption = 3;
        const std::uint8_t mac[MAC_LENGTH] = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xFF};
        std::memcpy(params.mac, mac, MAC_LENGTH);
        report.fill(0xAA);
    }
};

TEST_F(ParamReports, Report1LayoutWithShortSsid) {
    StoreParamText(params.ssid, "abc");
    BuildParamReport1(params, report);
    HidReport expected{};
    expected[1] = 1;
    expected[2] = 13;
    expected[3] = 3;
    const std::uint8_t mac[MAC_LENGTH] = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xFF};
    std::memcpy(expected.data() + 4, mac, MAC_LENGTH);
    expected[11] = 'a';
    expected[12] = 'b';
    expected[13] = 'c';
    EXPECT_EQ(report, expected);
}

TEST_F(ParamReports, Report1CarriesTwentySsidCharactersWithoutTerminator) {
    StoreParamText(params.ssid, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");  // longer than what travels
    BuildParamReport1(params, report);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(report.data() + 11), 20), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(report[10], 0);
    for (std::size_t i = 31; i < HID_REPORT_SIZE; ++i) EXPECT_EQ(report[i], 0) << i;
}

TEST_F(ParamReports, Report2CarriesSixtyThreeKeyCharacters) {
    const std::string key(63, 'k');
    StoreParamText(params.key, key);
    BuildParamReport2(params, report);
    HidReport expected = ReportWithText(1, key);
    EXPECT_EQ(report, expected);
    EXPECT_EQ(report[64], 0);
}

TEST_F(ParamReports, TakingReport1StoresEveryFieldAsItArrives) {
    HidReport reply = ReportWithText(11, "ABCDEFGHIJKLMNOPQRST");  // 20 bytes, no terminator
    reply[1] = 2;
    reply[2] = 14;
    reply[3] = 7;
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) reply[4 + i] = static_cast<std::uint8_t>(0xA0 + i);
    reply[10] = 'X';                           // ignored
    std::memset(reply.data() + 31, 'Y', 34);   // ignored
    StoreParamText(params.ssid, std::string(40, 's'));

    TakeParamReport1(reply, params);
    EXPECT_EQ(params.mode, 2);
    EXPECT_EQ(params.channel, 14);
    EXPECT_EQ(params.encryption, 7);
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) EXPECT_EQ(params.mac[i], 0xA0 + i);
    EXPECT_STREQ(params.ssid, "ABCDEFGHIJKLMNOPQRST");
    for (std::size_t i = 20; i < PARAM_TEXT_AREA; ++i) EXPECT_EQ(params.ssid[i], 0) << i;
}

TEST_F(ParamReports, TakingReport2ReplacesTheWholeKey) {
    StoreParamText(params.key, std::string(63, 'o'));
    HidReport reply = ReportWithText(1, "new key");
    reply[64] = 'Z';  // ignored
    TakeParamReport2(reply, params);
    EXPECT_STREQ(params.key, "new key");
    for (std::size_t i = 7; i < PARAM_TEXT_AREA; ++i) EXPECT_EQ(params.key[i], 0) << i;

    HidReport fullKey = ReportWithText(1, std::string(63, 'f'));
    fullKey[64] = 'Z';
    TakeParamReport2(fullKey, params);
    EXPECT_EQ(std::string(params.key), std::string(63, 'f'));
}

TEST_F(ParamReports, BuildThenTakeRoundTrips) {
    StoreParamText(params.ssid, "LQ net");
    StoreParamText(params.key, "secret,key");
    HidReport first;
    HidReport second;
    BuildParamReport1(params, first);
    BuildParamReport2(params, second);
    ModuleParamSet taken;
    TakeParamReport1(first, taken);
    TakeParamReport2(second, taken);
    EXPECT_EQ(std::memcmp(&taken, &params, sizeof params), 0);
}
