#include "device/unicode_text.h"

#include <cstdint>

namespace {

constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Encodes one code point; returns the number of bytes placed in out.
std::size_t EncodeUtf8(char32_t codePoint, char (&out)[4]) {
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

}  // namespace

std::size_t Utf16ToUtf8Bounded(std::u16string_view text, char* destination, std::size_t capacity) {
    if (destination == nullptr || capacity == 0) return 0;
    std::size_t written = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i];
        if (codePoint == 0) break;
        if (IsHighSurrogate(codePoint) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(codePoint) || IsLowSurrogate(codePoint)) {
            codePoint = REPLACEMENT_CHARACTER;
        }
        char encoded[4];
        const std::size_t size = EncodeUtf8(codePoint, encoded);
        if (written + size > capacity - 1) break;
        for (std::size_t b = 0; b < size; ++b) destination[written++] = encoded[b];
    }
    destination[written] = '\0';
    return written;
}

std::u16string WideToUtf16(std::wstring_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (wchar_t wide : text) {
        const auto value = static_cast<std::uint32_t>(wide);
        if constexpr (sizeof(wchar_t) == 2) {
            result.push_back(static_cast<char16_t>(value));
        } else if (value >= 0x10000 && value <= 0x10FFFF) {
            const std::uint32_t offset = value - 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else if (value > 0x10FFFF || IsHighSurrogate(value) || IsLowSurrogate(value)) {
            result.push_back(static_cast<char16_t>(REPLACEMENT_CHARACTER));
        } else {
            result.push_back(static_cast<char16_t>(value));
        }
    }
    return result;
}
