// The writer's layout: nine CR LF lines, "*" for empty texts, bounded texts.
#include <gtest/gtest.h>

#include <string>

#include "params/config_file.h"
#include "param_set_helpers.h"

TEST(ConfigFormat, StartStateGivesTheExactNineLines) {
    const std::string text = FormatConfiguration(StartStateParams());
    EXPECT_EQ(text,
              "[G1]\r\n01,02,00,\r\n[G2]\r\nLQ-3860,\r\n[G3]\r\n*,\r\n"
              "[G4]\r\nFF,FF,FF,FF,FF,FF,\r\n[END]\r\n");
    EXPECT_EQ(text.size(), 76u);
}

TEST(ConfigFormat, NumbersUseAtLeastTwoDigitsAndUpperCaseHex) {
    const std::string text =
        FormatConfiguration(MakeParams(0, 13, 255, "net", "k", {0x00, 0x0A, 0x1B, 0xab, 0x05, 0xF0}));
    EXPECT_NE(text.find("[G1]\r\n00,13,255,\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[G4]\r\n00,0A,1B,AB,05,F0,\r\n"), std::string::npos) << text;
}

TEST(ConfigFormat, EmptySsidAndKeyAreWrittenAsStar) {
    const std::string text = FormatConfiguration(MakeParams(0, 1, 1, "", "", {}));
    EXPECT_NE(text.find("[G2]\r\n*,\r\n[G3]\r\n*,\r\n"), std::string::npos) << text;
}

// The loader can leave 63 SSID characters and an area need not be
// terminated: only 20 SSID and 63 key characters are saved.
TEST(ConfigFormat, TextsAreCutAndStayWithinTheirAreas) {
    ModuleParamSet params;
    for (char& c : params.ssid) c = 'S';
    for (char& c : params.key) c = 'K';
    const std::string text = FormatConfiguration(params);
    EXPECT_NE(text.find("\r\n" + std::string(20, 'S') + ",\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n" + std::string(63, 'K') + ",\r\n"), std::string::npos);
    EXPECT_EQ(text.find(std::string(21, 'S')), std::string::npos);
    EXPECT_EQ(text.find(std::string(64, 'K')), std::string::npos);
}
