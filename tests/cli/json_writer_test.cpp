#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include "tool_process.h"

namespace lq3860 {

namespace {

TEST(JsonQuote, StrictReaderGetsTheTextBackWithInvalidUtf8Replaced) {
    std::string everyByte;  // every character that could break the quoting, then every Latin-1 letter
    for (int c = 1; c < 0x100; ++c) everyByte += static_cast<char>(c);
    ASSERT_EQ(Latin1ToUtf8(everyByte).size(), 127u + 2u * 128u);
    const std::string zero("a\0b", 3);
    const std::string valid = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB6";
    const std::string r = "\xEF\xBF\xBD";  // U+FFFD
    const std::vector<std::pair<std::string, std::string>> rows = {
        {zero, zero},
        {valid, valid},
        {"a\xFF"
         "b",
         "a" + r + "b"},                      // never valid
        {"\x80", r},                          // stray continuation
        {"\xC0\xAF", r + r},                  // overlong '/'
        {"\xED\xA0\x80", r + r + r},          // surrogate
        {"\xF4\x90\x80\x80", r + r + r + r},  // beyond U+10FFFF
        {"ok\xE2\x82", "ok" + r + r},         // cut short at the end
        {Latin1ToUtf8("Caf\xE9"), "Caf\xC3\xA9"},
        {Latin1ToUtf8("\xFF\x80"), "\xC3\xBF\xC2\x80"},
        {Latin1ToUtf8(everyByte), Latin1ToUtf8(everyByte)},  // all of it valid UTF-8: nothing replaced
    };
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(JsonQuote(text));
        EXPECT_EQ(DecodeJson(JsonQuote(text)), expected);
    }
    // No control character reaches a terminal raw: C0 and DEL bytes, and C1
    // characters (U+0080..U+009F, two bytes C2 80..C2 9F in UTF-8).
    const std::string quoted = JsonQuote(Latin1ToUtf8(everyByte));
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        const auto c = static_cast<unsigned char>(quoted[i]);
        EXPECT_FALSE(c < 0x20 || c == 0x7F) << i;
        EXPECT_FALSE(c == 0xC2 && i + 1 < quoted.size() && static_cast<unsigned char>(quoted[i + 1]) < 0xA0) << i;
    }
    EXPECT_NE(quoted.find("\\u009b"), std::string::npos);
}

TEST(JsonObjectWriter, BuildsNestedObjectsThatParse) {
    JsonArray modules;
    modules.Add(JsonObject().AddNumber("index", 0).AddText("name", "LQ \"one\""));
    modules.Add(JsonObject().AddNumber("index", 1).AddNull("name"));
    const std::string text = JsonObject()
                                 .AddArray("modules", modules)
                                 .AddBool("ok", true)
                                 .AddNumber("negative", -255)
                                 .AddLatin1Text("ssid", "Caf\xE9")
                                 .Text();
    EXPECT_EQ(DecodeJson(text), R"({"modules":[{"index":0,"name":"LQ \"one\""},{"index":1,"name":null}],)"
                                R"("negative":-255,"ok":true,"ssid":"Caf)"
                                "\xC3\xA9\"}");
    EXPECT_EQ(DecodeJson(JsonObject().Text()), "{}");
    EXPECT_EQ(DecodeJson(JsonObject().AddArray("empty", JsonArray()).Text()), R"({"empty":[]})");
}

}  // namespace

}  // namespace lq3860
