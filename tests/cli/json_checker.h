#pragma once
// A strict JSON reader for the tests: it refuses anything RFC 8259 refuses
// (trailing commas, raw control characters, bad escapes, invalid UTF-8 is
// not checked here) and gives back a small value tree to assert on.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // decoded string, UTF-8
    std::vector<JsonValue> elements;
    std::map<std::string, JsonValue> members;

    const JsonValue& operator[](const std::string& key) const { return members.at(key); }
    bool Has(const std::string& key) const { return members.count(key) != 0; }
};

// The value of the whole text (surrounding white space allowed), or nullopt
// when the text is not exactly one valid JSON value.
std::optional<JsonValue> ParseJson(std::string_view text);
