// SPDX-License-Identifier: MIT
// The configuration text: the writer's layout, the reader's tags, fields and
// numbers, and the all-or-nothing store.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "param_set_helpers.h"
#include "params/config_file.h"

namespace lq3860 {

namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != text.npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string Sections(const std::string& g1, const std::string& g2, const std::string& g3, const std::string& g4) {
    return "[G1]\r\n" + g1 + "\r\n[G2]\r\n" + g2 + "\r\n[G3]\r\n" + g3 + "\r\n[G4]\r\n" + g4 + "\r\n[END]\r\n";
}

// Parses `text` into the sentinel; `message` null means it must be accepted.
void ExpectParse(const std::string& text, const ModuleParamSet& expected, const char* message = nullptr) {
    ModuleParamSet params = Sentinel();
    const ConfigLoadResult result = ParseConfiguration(text, params);
    EXPECT_EQ(result.ok, message == nullptr) << text;
    EXPECT_EQ(Dump(params), Dump(expected)) << text;
    EXPECT_STREQ(result.message, message) << text;
}

const std::string MAC_LINE = "01,02,03,04,05,06,";

}  // namespace

// The window's start state gives exactly this 76-byte file. Numbers are
// two-digit decimal and upper-case hex, empty texts "*" (which load back as
// "*"), texts cut to 20 / 63 characters even when their area is not
// terminated; every other text, however odd, loads back as it was, with CR LF
// and with LF line ends. A text with CR or LF in what the file would hold is
// refused, naming its field.
TEST(ConfigRoundTrip, SavedLinesLoadBackOrAreRefused) {
    const ModuleParamSet start = MakeParams(1, 2, 0, "LQ-3860", "", {255, 255, 255, 255, 255, 255});
    EXPECT_EQ(FormatConfiguration(start),
              "[G1]\r\n01,02,00,\r\n[G2]\r\nLQ-3860,\r\n[G3]\r\n*,\r\n[G4]\r\nFF,FF,FF,FF,FF,FF,\r\n[END]\r\n");
    ModuleParamSet unterminated;
    std::fill(std::begin(unterminated.ssid), std::end(unterminated.ssid), 'S');
    std::fill(std::begin(unterminated.key), std::end(unterminated.key), 'K');
    const ModuleParamSet numbers = MakeParams(0, 5, 255, "n", "k", {0x00, 0x0A, 0x1B, 0xab, 0x05, 0xF0});
    const ModuleParamSet tags = MakeParams(255, 13, 4, "[G3]", ",[G3] [G4],key,with,", {1, 2, 3, 4, 5, 6});
    const ModuleParamSet odd = MakeParams(1, 2, 3, " lead, and trail ", "\t\v\f\x1A\x7F*", {});
    const ModuleParamSet latin1 = MakeParams(1, 2, 3, "Caf\xE9 \xA0\xFF", "Caf\xE9 \xA0\xFF,,[END]", {});
    const std::tuple<ModuleParamSet, std::string, ModuleParamSet> rows[] = {
        {numbers, "[G1]\r\n00,05,255,\r\n[G2]\r\nn,\r\n[G3]\r\nk,\r\n[G4]\r\n00,0A,1B,AB,05,F0,\r\n", numbers},
        {MakeParams(0, 3, 0, "", "", {}), "[G2]\r\n*,\r\n[G3]\r\n*,\r\n", MakeParams(0, 3, 0, "*", "*", {})},
        {unterminated, "[G2]\r\n" + std::string(20, 'S') + ",\r\n[G3]\r\n" + std::string(63, 'K') + ",\r\n",
         MakeParams(0, 0, 0, std::string(20, 'S'), std::string(63, 'K'), {})},
        {tags, "[G1]\r\n255,13,04,\r\n[G2]\r\n[G3],\r\n[G3]\r\n,[G3] [G4],key,with,,\r\n", tags},
        // A line break after the SSID's 20 characters is never written.
        {MakeParams(1, 2, 3, "12345678901234567890\r\n", "k", {}), "",
         MakeParams(1, 2, 3, "12345678901234567890", "k", {})},
        {odd, "", odd},
        {latin1, "", latin1}};
    for (const auto& [saved, fragment, loaded] : rows) {
        const std::string text = FormatConfiguration(saved);
        EXPECT_EQ(UnsavableTextMessage(saved), nullptr) << text;
        EXPECT_NE(text.find(fragment), std::string::npos) << text;
        ExpectParse(text, loaded);
        ExpectParse(ReplaceAll(text, "\r\n", "\n"), loaded);
    }
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"a\r\n[G3]\r\nX", "realpassphrase", SSID_LINE_BREAK_MESSAGE},
        {"net", "line\nbreak", KEY_LINE_BREAK_MESSAGE},
        {"cr\r", "k", SSID_LINE_BREAK_MESSAGE},
        {"n", "\rkey", KEY_LINE_BREAK_MESSAGE}};
    for (const auto& [ssid, key, refusal] : refused) {
        EXPECT_STREQ(UnsavableTextMessage(MakeParams(1, 2, 3, ssid, key, {})), refusal) << ssid << " / " << key;
    }
}

// Tags count only alone on their line (blanks allowed), in any order, with
// other text between sections; fields split at commas as the reader defines.
// A missing tag names itself and changes nothing.
TEST(ConfigParse, LayoutsFieldFormsAndMissingTags) {
    const std::pair<std::string, ModuleParamSet> accepted[] = {
        {"notes\r\n\r\n[G4]\r\n0A,0B,0C,0D,0E,0F,\r\ntext\r\n[G3]\r\nsecret12,\r\n\r\n[G1]\r\n00,05,03,\r\n"
         "[G2]\r\nhome,\r\n",
         MakeParams(0, 5, 3, "home", "secret12", {0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F})},
        {" \t[G1]  \r\n01,02,00,\r\n[G2]\t\r\nnet,\r\n  [G3]\nkey,\r\n[G4] \r\n" + MAC_LINE,
         MakeParams(1, 2, 0, "net", "key", {1, 2, 3, 4, 5, 6})},
        // The first "[G2]" shares its line with other text: not a tag.
        {"x[G2]\r\nfake,\r\n" + Sections("01,02,00,", "real,", "k,", MAC_LINE),
         MakeParams(1, 2, 0, "real", "k", {1, 2, 3, 4, 5, 6})},
        // A text line without a comma is taken whole; over 63 characters are cut.
        {Sections("00,01,00,", " My Net" + std::string(100, 'a'), std::string(80, 'b') + ",", MAC_LINE),
         MakeParams(0, 1, 0, (" My Net" + std::string(100, 'a')).substr(0, 63), std::string(63, 'b'),
                    {1, 2, 3, 4, 5, 6})},
        // A comma in the very first position belongs to the first field.
        {Sections(",5,6,7,", "s,", "k,", ",1,2,3,4,5,6,"), MakeParams(0, 6, 7, "s", "k", {0, 2, 3, 4, 5, 6})},
        // Without a further comma the remaining fields read empty.
        {"[G1]\r\n01,02,03,\r\n[G2]\r\ns,\r\n[G3]\r\nk,\r\n[G4]\r\nA1,B2,C3",
         MakeParams(1, 2, 3, "s", "k", {0xA1, 0xB2, 0, 0, 0, 0})},
        // G1 fields run on past their line: the third lies between the SSID's and key's commas.
        {Sections("01,02", "net,", "key,", MAC_LINE), MakeParams(1, 2, 0, "net", "key", {1, 2, 3, 4, 5, 6})}};
    for (const auto& [text, expected] : accepted) ExpectParse(text, expected);
    // A refused text changes nothing; the text ends at its first zero byte.
    const std::string full = FormatConfiguration(MakeParams(0, 1, 2, "s", "0123456789", {}));
    const std::pair<std::string, const char*> refused[] = {
        {"", "[G1] format error"},
        {ReplaceAll(full, "[G", "[g"), "[G1] format error"},
        {std::string(full).insert(full.find("[G4]"), std::string(1, '\0') + "\r\n"), "[G4] format error"}};
    for (const auto& [text, message] : refused) ExpectParse(text, Sentinel(), message);
    for (const std::string tag : {"[G1]", "[G2]", "[G3]", "[G4]"}) {
        ExpectParse(ReplaceAll(full, tag, "[GX]"), Sentinel(), (tag + " format error").c_str());
    }
}

// G1 numbers read as decimal, G4 numbers as hex, both kept in 8 bits.
TEST(ConfigParse, NumberForms) {
    const std::tuple<std::string, std::uint8_t, std::uint8_t> rows[] = {
        {"-1", 255, 255},  {"300", 44, 0x00},  {"+7", 7, 7},    {"  \t12", 12, 0x12}, {"0x1f", 0, 0x1F},
        {"0XAb", 0, 0xAB}, {"-0x01", 0, 0xFF}, {"ff", 0, 0xFF}, {"12ab", 12, 0xAB},   {"", 0, 0},
        {"zz", 0, 0},      {"-", 0, 0},        {"0x", 0, 0},    {"256", 0, 0x56},     {"-256", 0, 0xAA}};
    for (const auto& [f, d, h] : rows) {
        ExpectParse(Sections(f + "," + f + "," + f + ",", "s,", "k,", f + "," + f + ",00,00,00," + f + ","),
                    MakeParams(d, d, d, "s", "k", {h, h, 0, 0, 0, h}));
    }
}

// A UTF-8 mark is skipped; UTF-16 in either byte order loads as the 8-bit
// text it carries, and is refused with its own message (not a section's) when
// a character does not fit in a byte or a byte is left over.
TEST(ConfigParse, ByteOrderMarks) {
    const ModuleParamSet params = MakeParams(1, 6, 4, "Caf\xE9", "K\xFF-key-12", {1, 2, 3, 4, 5, 6});
    const std::string text = FormatConfiguration(params);
    const auto utf16 = [](std::string_view bytes, bool littleEndian, char16_t extra = 0) {
        std::u16string units(bytes.begin(), bytes.end());
        for (char16_t& unit : units) unit = static_cast<unsigned char>(unit);
        if (extra != 0) units.insert(units.find(u'C'), 1, extra);
        std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
        for (const char16_t unit : units) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            out += littleEndian ? std::string{low, high} : std::string{high, low};
        }
        return out;
    };
    for (const std::string& loaded : {"\xEF\xBB\xBF" + text, utf16(text, true), utf16(text, false)})
        ExpectParse(loaded, params);
    // PowerShell's ">" takes the tool's 0xE9 through code page 437 as U+0398.
    for (const std::string& refused :
         {utf16(text, true, u'\u0398'), utf16(text, false, u'\u0100'), utf16(text, true) + "\n"})
        ExpectParse(refused, Sentinel(), WIDE_TEXT_FILE_MESSAGE);
}

}  // namespace lq3860
