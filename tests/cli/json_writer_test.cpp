// SPDX-License-Identifier: MIT
#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include <optional>

#include "tool_process.h"

namespace lq3860 {

namespace {

// Python's strict reading of one JSON string value, as UTF-8; nullopt when
// `text` is not exactly that. The text goes as an argument: a raw NUL would
// cut it short and so make it invalid.
std::optional<std::string> DecodeJson(const std::string& text) {
    const ToolRun run = RunProgram({"python3", "-c", R"(import json, os, sys
value = json.loads(os.fsencode(sys.argv[1]))
sys.stdout.buffer.write(value.encode()) if isinstance(value, str) else sys.exit(1))",
                                    text});
    return run.status == 0 ? std::optional(run.out) : std::nullopt;
}

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

}  // namespace

}  // namespace lq3860
