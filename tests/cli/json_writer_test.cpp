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
    const std::string zero("a\0b\xE2\x82\xAC\xF0\x9F\x93\xB6", 10);  // NUL, then valid 3- and 4-byte UTF-8
    const std::string r = "\xEF\xBF\xBD";                            // U+FFFD
    const std::vector<std::pair<std::string, std::string>> rows = {
        {zero, zero},
        {"a\xFF"
         "b",
         "a" + r + "b"},               // never valid
        {"\x80", r},                   // stray continuation
        {"\xED\xA0\x80", r + r + r},   // surrogate
        {"ok\xE2\x82", "ok" + r + r},  // cut short at the end
        {Latin1ToUtf8("\xFF\x80"), "\xC3\xBF\xC2\x80"},
        {Latin1ToUtf8(everyByte), Latin1ToUtf8(everyByte)},  // all of it valid UTF-8: nothing replaced
    };
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(JsonQuote(text));
        EXPECT_EQ(DecodeJson(JsonQuote(text)), expected);
    }
    // DEL and C1 characters (which a strict reader takes raw) reach no terminal raw either.
    EXPECT_EQ(JsonQuote("\x7f\xC2\x9B"), "\"\\u007f\\u009b\"");
}

}  // namespace

}  // namespace lq3860
