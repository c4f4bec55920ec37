// SPDX-License-Identifier: MIT
#include "device/unicode_text.h"

#include <cstdint>
#include <utility>

namespace lq3860 {

namespace {

constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

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

namespace {

void AppendUtf16(char32_t codePoint, std::u16string& out) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    const char32_t offset = codePoint - 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
}

}  // namespace

Utf8Sequence DecodeUtf8At(std::string_view text, std::size_t position) {
    const auto byte = [&](std::size_t offset) { return static_cast<unsigned char>(text[position + offset]); };
    const unsigned lead = byte(0);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (position + length > text.size()) return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {0, 0};
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || IsHighSurrogate(value) || IsLowSurrogate(value)) return {0, 0};
    return {value, length};
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto [codePoint, length] = DecodeUtf8At(text, i);
        AppendUtf16(length == 0 ? REPLACEMENT_CHARACTER : codePoint, out);
        i += length == 0 ? 1 : length;
    }
    return out;
}

std::u16string WideToUtf16(std::wstring_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (wchar_t wide : text) {
        const auto value = static_cast<std::uint32_t>(wide);
        if constexpr (sizeof(wchar_t) == 2) {
            result.push_back(static_cast<char16_t>(value));
        } else if (value > 0x10FFFF || IsHighSurrogate(value) || IsLowSurrogate(value)) {
            result.push_back(static_cast<char16_t>(REPLACEMENT_CHARACTER));
        } else {
            AppendUtf16(value, result);
        }
    }
    return result;
}

}  // namespace lq3860
