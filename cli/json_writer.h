// SPDX-License-Identifier: MIT
#pragma once
// A small JSON writer for the tool's one-object-per-command output. Texts are
// escaped so the result always parses and shows no raw control character:
// control characters (C0, DEL, C1) as \uXXXX, invalid UTF-8 as U+FFFD. SSID and key are 8-bit Latin-1 text and go
// through AddLatin1Text, so every byte keeps its character.
#include <cstdint>
#include <string>
#include <string_view>

namespace lq3860 {

// `text` (UTF-8) as a quoted JSON string.
std::string JsonQuote(std::string_view text);
// Each byte of `text` taken as a Latin-1 character, encoded as UTF-8.
std::string Latin1ToUtf8(std::string_view text);

class JsonArray;

class JsonObject {
public:
    JsonObject& AddText(std::string_view key, std::string_view utf8Text);
    JsonObject& AddLatin1Text(std::string_view key, std::string_view latin1Text);
    JsonObject& AddNumber(std::string_view key, std::int64_t value);
    JsonObject& AddBool(std::string_view key, bool value);
    JsonObject& AddNull(std::string_view key);
    JsonObject& AddArray(std::string_view key, const JsonArray& array);
    // Every member of `other`, after the members so far.
    JsonObject& AddMembersOf(const JsonObject& other);
    // The object as JSON text, "{...}".
    std::string Text() const { return "{" + members_ + "}"; }

private:
    JsonObject& AddRaw(std::string_view key, std::string_view json);
    std::string members_;
};

class JsonArray {
public:
    JsonArray& Add(const JsonObject& element);
    JsonArray& AddText(std::string_view utf8Text);
    std::string Text() const { return "[" + elements_ + "]"; }

private:
    JsonArray& AddRaw(std::string_view json);
    std::string elements_;
};

}  // namespace lq3860
