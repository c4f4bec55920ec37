#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include "json_checker.h"

namespace {

// What a strict reader gets back from one quoted text.
std::string RoundTrip(std::string_view text) {
    const auto value = ParseJson(JsonQuote(text));
    EXPECT_TRUE(value.has_value()) << JsonQuote(text);
    return value ? value->text : std::string("<unparsable>");
}

TEST(JsonQuote, EscapesEveryCharacterThatWouldBreakTheString) {
    std::string all;
    for (int c = 1; c < 0x80; ++c) all += static_cast<char>(c);
    EXPECT_EQ(RoundTrip(all), all);
    EXPECT_EQ(JsonQuote("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(JsonQuote("\r\n\t"), R"("\r\n\t")");
    EXPECT_EQ(JsonQuote(std::string_view("\x01\x1f", 2)), R"("\u0001\u001f")");
    // A zero byte inside the text is kept, as an escape.
    EXPECT_EQ(JsonQuote(std::string_view("a\0b", 3)), R"("a\u0000b")");
}

TEST(JsonQuote, KeepsValidUtf8AndReplacesInvalidBytes) {
    EXPECT_EQ(RoundTrip("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB6"), "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB6");
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(RoundTrip("a\xFF" "b"), "a" + replacement + "b");             // never valid
    EXPECT_EQ(RoundTrip("\x80"), replacement);                              // stray continuation
    EXPECT_EQ(RoundTrip("\xC0\xAF"), replacement + replacement);            // overlong '/'
    EXPECT_EQ(RoundTrip("\xED\xA0\x80"), replacement + replacement + replacement);  // surrogate
    EXPECT_EQ(RoundTrip("\xF4\x90\x80\x80"), replacement + replacement + replacement + replacement);  // beyond U+10FFFF
    EXPECT_EQ(RoundTrip("ok\xE2\x82"), "ok" + replacement + replacement);   // cut short at the end
}

TEST(JsonQuote, Latin1TextKeepsEveryByteAsItsCharacter) {
    EXPECT_EQ(Latin1ToUtf8("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(Latin1ToUtf8("\xFF\x80"), "\xC3\xBF\xC2\x80");
    std::string everyByte;
    for (int c = 1; c < 0x100; ++c) everyByte += static_cast<char>(c);
    const std::string utf8 = RoundTrip(Latin1ToUtf8(everyByte));
    EXPECT_EQ(utf8, Latin1ToUtf8(everyByte));
    EXPECT_EQ(utf8.size(), 127u + 2u * 128u);
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
    const auto value = ParseJson(text);
    ASSERT_TRUE(value.has_value()) << text;
    ASSERT_EQ((*value)["modules"].elements.size(), 2u);
    EXPECT_EQ((*value)["modules"].elements[0]["name"].text, "LQ \"one\"");
    EXPECT_EQ((*value)["modules"].elements[1]["index"].number, 1);
    EXPECT_EQ((*value)["modules"].elements[1]["name"].kind, JsonValue::Kind::Null);
    EXPECT_TRUE((*value)["ok"].boolean);
    EXPECT_EQ((*value)["negative"].number, -255);
    EXPECT_EQ((*value)["ssid"].text, "Caf\xC3\xA9");
    EXPECT_EQ(JsonObject().Text(), "{}");
    EXPECT_EQ(JsonObject().AddArray("empty", JsonArray()).Text(), R"({"empty":[]})");
}

TEST(JsonChecker, RefusesWhatIsNotJson) {
    for (const char* bad : {"", "{", "{\"a\":1,}", "[1,]", "{'a':1}", "\"a\tb\"", "01", "{\"a\":1}{",
                            "{\"a\":1,\"a\":2}", "\"\\x41\"", "[1 2]", "nul"}) {
        EXPECT_FALSE(ParseJson(bad).has_value()) << bad;
    }
    EXPECT_TRUE(ParseJson(" {\"a\":[1,-2.5e3,true,null,\"\\u00e9\"]} ").has_value());
}

}  // namespace
