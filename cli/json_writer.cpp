// SPDX-License-Identifier: MIT
#include "cli/json_writer.h"

#include <cstddef>

#include "device/unicode_text.h"

namespace lq3860 {

namespace {

constexpr std::string_view REPLACEMENT_CHARACTER = "\\ufffd";

void AppendUnicodeEscape(std::string& out, unsigned codeUnit) {
    static constexpr char HEX[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += HEX[(codeUnit >> shift) & 0xF];
}

}  // namespace

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const Utf8Sequence sequence = DecodeUtf8At(text, i);
            const std::size_t length = sequence.length;
            if (length == 0) {
                out += REPLACEMENT_CHARACTER;
                ++i;
            } else if (sequence.codePoint <= 0x9F) {
                // A C1 control character (U+0080..U+009F): escaped like the C0 ones.
                AppendUnicodeEscape(out, static_cast<unsigned>(sequence.codePoint));
                i += length;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    AppendUnicodeEscape(out, c);
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char character : text) {
        const auto c = static_cast<unsigned char>(character);
        if (c < 0x80) {
            out += character;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json) {
    if (!members_.empty()) members_ += ',';
    members_ += JsonQuote(key);
    members_ += ':';
    members_ += json;
    return *this;
}

JsonObject& JsonObject::AddText(std::string_view key, std::string_view utf8Text) {
    return AddRaw(key, JsonQuote(utf8Text));
}

JsonObject& JsonObject::AddLatin1Text(std::string_view key, std::string_view latin1Text) {
    return AddRaw(key, JsonQuote(Latin1ToUtf8(latin1Text)));
}

JsonObject& JsonObject::AddNumber(std::string_view key, std::int64_t value) {
    return AddRaw(key, std::to_string(value));
}

JsonObject& JsonObject::AddBool(std::string_view key, bool value) {
    return AddRaw(key, value ? "true" : "false");
}

JsonObject& JsonObject::AddNull(std::string_view key) {
    return AddRaw(key, "null");
}

JsonObject& JsonObject::AddArray(std::string_view key, const JsonArray& array) {
    return AddRaw(key, array.Text());
}

JsonObject& JsonObject::AddMembersOf(const JsonObject& other) {
    if (!members_.empty() && !other.members_.empty()) members_ += ',';
    members_ += other.members_;
    return *this;
}

JsonArray& JsonArray::Add(const JsonObject& element) {
    return AddRaw(element.Text());
}

JsonArray& JsonArray::AddText(std::string_view utf8Text) {
    return AddRaw(JsonQuote(utf8Text));
}

JsonArray& JsonArray::AddRaw(std::string_view json) {
    if (!elements_.empty()) elements_ += ',';
    elements_ += json;
    return *this;
}

}  // namespace lq3860
