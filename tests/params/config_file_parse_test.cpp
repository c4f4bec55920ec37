// The reader: tags alone on their lines, field splitting, number reading,
// and the all-or-nothing store.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "params/config_file.h"
#include "param_set_helpers.h"

namespace {

ModuleParamSet Sentinel() {
    return MakeParams(7, 9, 3, "untouched-ssid", "untouched-key", {1, 2, 3, 4, 5, 6});
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Parses `text` into a copy of the sentinel and expects success.
ModuleParamSet ParseOk(std::string_view text) {
    ModuleParamSet params = Sentinel();
    const ConfigLoadResult result = ParseConfiguration(text, params);
    EXPECT_TRUE(result.ok) << (result.message ? result.message : "") << "\n" << text;
    EXPECT_EQ(result.message, nullptr);
    return params;
}

std::string Sections(std::string_view g1, std::string_view g2, std::string_view g3, std::string_view g4) {
    return "[G1]\r\n" + std::string(g1) + "\r\n[G2]\r\n" + std::string(g2) + "\r\n[G3]\r\n" +
           std::string(g3) + "\r\n[G4]\r\n" + std::string(g4) + "\r\n[END]\r\n";
}

}  // namespace

// --- What the writer produces comes back unchanged -------------------------

TEST(ConfigRoundTrip, StartStateLoadsBackWithStarKey) {
    ModuleParamSet expected = StartStateParams();
    StoreParamText(expected.key, "*");
    ExpectSameParams(expected, ParseOk(FormatConfiguration(StartStateParams())));
}

TEST(ConfigRoundTrip, EmptySsidComesBackAsStar) {
    const ModuleParamSet loaded = ParseOk(FormatConfiguration(MakeParams(0, 3, 0, "", "", {})));
    EXPECT_STREQ(loaded.ssid, "*");
    EXPECT_STREQ(loaded.key, "*");
}

TEST(ConfigRoundTrip, NoSelectionValue255Survives) {
    const ModuleParamSet saved = MakeParams(255, 255, 255, "x", "12345678", {0, 0, 0, 0, 0, 0});
    const std::string text = FormatConfiguration(saved);
    ASSERT_NE(text.find("255,255,255,"), std::string::npos);
    ExpectSameParams(saved, ParseOk(text));
}

TEST(ConfigRoundTrip, CommasAndTagTextsInsideSsidAndKeySurvive) {
    const ModuleParamSet saved =
        MakeParams(0, 6, 4, "a,b[G3],", ",[G3] [G4],key,with,commas,", {0x10, 0x20, 0x30, 0x40, 0x50, 0x60});
    ExpectSameParams(saved, ParseOk(FormatConfiguration(saved)));
}

TEST(ConfigRoundTrip, TextsThatAreExactlyATag) {
    const ModuleParamSet saved = MakeParams(1, 3, 2, "[G3]", "[G4]", {9, 8, 7, 6, 5, 4});
    ExpectSameParams(saved, ParseOk(FormatConfiguration(saved)));
}

// --- Line ends, tag placement, order ----------------------------------------

TEST(ConfigLayout, LfLineEndsLoadWhole) {
    const ModuleParamSet saved = MakeParams(1, 11, 2, "ABC", "0123456789abcdef01234567ab", {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01});
    const std::string lf = ReplaceAll(FormatConfiguration(saved), "\r\n", "\n");
    ASSERT_EQ(lf.find('\r'), std::string::npos);
    ExpectSameParams(saved, ParseOk(lf));
}

TEST(ConfigLayout, SectionsInAnotherOrderWithTextBetweenAndNoEnd) {
    const std::string text =
        "notes before\r\n\r\n[G4]\r\n0A,0B,0C,0D,0E,0F,\r\nsome text\r\n"
        "[G3]\r\nsecret12,\r\n\r\n[G1]\r\n00,05,03,\r\n[G2]\r\nhome,\r\n";
    ExpectSameParams(MakeParams(0, 5, 3, "home", "secret12", {0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}), ParseOk(text));
}

TEST(ConfigLayout, BlanksAroundATagAreAllowed) {
    const std::string text = " \t[G1]  \r\n01,02,00,\r\n[G2]\t\r\nnet,\r\n  [G3]\nkey,\r\n[G4] \r\n01,02,03,04,05,06,\r\n";
    ExpectSameParams(MakeParams(1, 2, 0, "net", "key", {1, 2, 3, 4, 5, 6}), ParseOk(text));
}

TEST(ConfigLayout, TagSharingItsLineWithOtherTextIsNotATag) {
    // The first "[G2]" stands inside a text line; the real section follows.
    const std::string text = "x[G2]\r\nfake,\r\n" + Sections("01,02,00,", "real,", "k,", "01,02,03,04,05,06,");
    EXPECT_STREQ(ParseOk(text).ssid, "real");
}

TEST(ConfigLayout, LowerCaseTagsAreNotRecognised) {
    ModuleParamSet params = Sentinel();
    const ConfigLoadResult result =
        ParseConfiguration(ReplaceAll(FormatConfiguration(StartStateParams()), "[G", "[g"), params);
    EXPECT_FALSE(result.ok);
    ASSERT_NE(result.message, nullptr);
    EXPECT_STREQ(result.message, "[G1] format error");
    ExpectSameParams(Sentinel(), params);
}

TEST(ConfigLayout, EmptyTextGivesG1FormatError) {
    ModuleParamSet params = Sentinel();
    const ConfigLoadResult result = ParseConfiguration("", params);
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.message, "[G1] format error");
    ExpectSameParams(Sentinel(), params);
}

TEST(ConfigLayout, EachMissingTagNamesItselfAndChangesNothing) {
    const std::string full = FormatConfiguration(MakeParams(0, 1, 2, "s", "0123456789", {}));
    for (const char* tag : {"[G1]", "[G2]", "[G3]", "[G4]"}) {
        ModuleParamSet params = Sentinel();
        const ConfigLoadResult result = ParseConfiguration(ReplaceAll(full, tag, "[GX]"), params);
        EXPECT_FALSE(result.ok) << tag;
        ASSERT_NE(result.message, nullptr) << tag;
        EXPECT_EQ(std::string(result.message), std::string(tag) + " format error");
        ExpectSameParams(Sentinel(), params);
    }
}

TEST(ConfigLayout, TextEndsAtTheFirstZeroByte) {
    // The zero byte stands on a line of its own, so the "[G4]" after it
    // would still be a tag if the text ran on.
    std::string text = FormatConfiguration(StartStateParams());
    text.insert(text.find("[G4]"), std::string(1, '\0') + "\r\n");
    ModuleParamSet params = Sentinel();
    const ConfigLoadResult result = ParseConfiguration(text, params);
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.message, "[G4] format error");
    ExpectSameParams(Sentinel(), params);
}

// --- Fields ------------------------------------------------------------------

TEST(ConfigFields, TextLineWithoutCommaIsTakenWhole) {
    const ModuleParamSet loaded = ParseOk(Sections("01,02,00,", "My Net", " spaced key ", "01,02,03,04,05,06,"));
    EXPECT_STREQ(loaded.ssid, "My Net");
    EXPECT_STREQ(loaded.key, " spaced key ");
}

TEST(ConfigFields, TextFieldsOver63CharactersAreCut) {
    const ModuleParamSet loaded =
        ParseOk(Sections("00,01,00,", std::string(100, 'a') + ",", std::string(80, 'b') + ",", "01,02,03,04,05,06,"));
    EXPECT_EQ(std::string(loaded.ssid), std::string(63, 'a'));
    EXPECT_EQ(std::string(loaded.key), std::string(63, 'b'));
    EXPECT_EQ(loaded.ssid[63], '\0');
}

TEST(ConfigFields, ShorterTextReplacesTheWholeEarlierText) {
    ModuleParamSet params = MakeParams(0, 0, 0, std::string(40, 'L'), std::string(60, 'K'), {});
    ASSERT_TRUE(ParseConfiguration(Sections("00,00,00,", "ab,", "cd,", "00,00,00,00,00,00,"), params).ok);
    EXPECT_EQ(std::string(params.ssid, PARAM_TEXT_AREA), "ab" + std::string(62, '\0'));
    EXPECT_EQ(std::string(params.key, PARAM_TEXT_AREA), "cd" + std::string(62, '\0'));
}

TEST(ConfigFields, CommaInTheVeryFirstPositionBelongsToTheFirstField) {
    // The first field is ",5" (decimal reading 0); the next fields follow it.
    const ModuleParamSet loaded = ParseOk(Sections(",5,6,7,", "s,", "k,", ",1,2,3,4,5,6,"));
    EXPECT_EQ(loaded.mode, 0);
    EXPECT_EQ(loaded.channel, 6);
    EXPECT_EQ(loaded.encryption, 7);
    const std::uint8_t mac[] = {0, 2, 3, 4, 5, 6};  // ",1" is the first field
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) EXPECT_EQ(loaded.mac[i], mac[i]) << i;
}

TEST(ConfigFields, FieldsWithoutFurtherCommaReadEmpty) {
    // G4 is last and has only two commas: bytes 2..5 read as empty fields.
    const std::string text = "[G1]\r\n01,02,03,\r\n[G2]\r\ns,\r\n[G3]\r\nk,\r\n[G4]\r\nA1,B2,C3";
    const ModuleParamSet loaded = ParseOk(text);
    const std::uint8_t mac[] = {0xA1, 0xB2, 0, 0, 0, 0};
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) EXPECT_EQ(loaded.mac[i], mac[i]) << i;
}

TEST(ConfigFields, G1FieldsRunOnPastTheirLine) {
    // Two values on the G1 line: the second runs to the SSID's comma, the
    // third lies between the SSID's and the key's comma and reads 0.
    const ModuleParamSet loaded = ParseOk(Sections("01,02", "net,", "key,", "01,02,03,04,05,06,"));
    EXPECT_EQ(loaded.mode, 1);
    EXPECT_EQ(loaded.channel, 2);
    EXPECT_EQ(loaded.encryption, 0);
}

TEST(ConfigFields, TagAtTheVeryEndGivesEmptyFields) {
    const ModuleParamSet loaded = ParseOk("[G1]\r\n01,02,03,\r\n[G2]\r\nn,\r\n[G4]\r\n01,02,03,04,05,06,\r\n[G3]");
    EXPECT_STREQ(loaded.key, "");
    EXPECT_STREQ(loaded.ssid, "n");
}

// --- Number reading ------------------------------------------------------------

struct NumberCase {
    const char* field;
    std::uint8_t decimal;
    std::uint8_t hex;
};

// Names the case in test listings by its field text.
void PrintTo(const NumberCase& c, std::ostream* out) { *out << '"' << c.field << '"'; }

class ConfigNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ConfigNumbers, ReadAsDecimalInG1AndHexInG4) {
    const NumberCase& c = GetParam();
    const std::string f = c.field;
    const ModuleParamSet loaded =
        ParseOk(Sections(f + "," + f + "," + f + ",", "s,", "k,", f + "," + f + ",00,00,00," + f + ","));
    EXPECT_EQ(loaded.mode, c.decimal) << "field '" << f << "'";
    EXPECT_EQ(loaded.encryption, c.decimal) << "field '" << f << "'";
    EXPECT_EQ(loaded.mac[0], c.hex) << "field '" << f << "'";
    EXPECT_EQ(loaded.mac[5], c.hex) << "field '" << f << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ConfigNumbers,
    ::testing::Values(NumberCase{"-1", 255, 255}, NumberCase{"300", 44, 0x00},  // 0x300 -> low byte 00
                      NumberCase{"+7", 7, 7}, NumberCase{"  \t12", 12, 0x12}, NumberCase{"0x1f", 0, 0x1F},
                      NumberCase{"0XAb", 0, 0xAB}, NumberCase{"-0x01", 0, 0xFF}, NumberCase{"ff", 0, 0xFF},
                      NumberCase{"12ab", 12, 0xAB}, NumberCase{"", 0, 0}, NumberCase{"zz", 0, 0},
                      NumberCase{"-", 0, 0}, NumberCase{"0x", 0, 0}, NumberCase{"256", 0, 0x56},
                      NumberCase{"-256", 0, 0xAA}));
