#include "cli/json_writer.h"

#include <cstddef>

namespace {

constexpr std::string_view REPLACEMENT_CHARACTER = "\\ufffd";

void AppendUnicodeEscape(std::string& out, unsigned codeUnit) {
    static constexpr char HEX[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += HEX[(codeUnit >> shift) & 0xF];
}

// Length of the well-formed UTF-8 sequence at text[position], 0 if it is not
// one (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t position) {
    const auto byte = [&](std::size_t offset) { return static_cast<unsigned char>(text[position + offset]); };
    const unsigned lead = byte(0);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, value = lead & 0x07;
    } else {
        return 0;
    }
    if (position + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceLength(text, i);
            if (length == 0) {
                out += REPLACEMENT_CHARACTER;
                ++i;
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
                if (c < 0x20) {
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

JsonObject& JsonObject::AddBool(std::string_view key, bool value) { return AddRaw(key, value ? "true" : "false"); }

JsonObject& JsonObject::AddNull(std::string_view key) { return AddRaw(key, "null"); }

JsonObject& JsonObject::AddArray(std::string_view key, const JsonArray& array) { return AddRaw(key, array.Text()); }

JsonArray& JsonArray::Add(const JsonObject& element) {
    if (!elements_.empty()) elements_ += ',';
    elements_ += element.Text();
    return *this;
}
