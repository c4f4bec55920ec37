// SPDX-License-Identifier: MIT
#pragma once
// Conversions of USB product strings: the platform hands them over as UTF-16
// (or as wide characters), the program keeps them as UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

namespace lq3860 {

// Writes `text` as UTF-8 into destination, at most capacity - 1 bytes of
// whole characters followed by a zero byte; nothing is written past
// capacity bytes. A character that no longer fits ends the text. Unpaired
// surrogates become U+FFFD. Returns the number of bytes before the zero.
std::size_t Utf16ToUtf8Bounded(std::u16string_view text, char* destination, std::size_t capacity);

struct Utf8Sequence {
    char32_t codePoint = 0;
    std::size_t length = 0;  // 0: no well-formed sequence starts here
};
// The UTF-8 sequence that starts at text[position] (position < size):
// overlong forms, surrogates, values beyond U+10FFFF and cut sequences are
// not well-formed.
Utf8Sequence DecodeUtf8At(std::string_view text, std::size_t position);

// UTF-8 text (a name given on a command line) as UTF-16 units; bytes that
// are not well-formed UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Wide characters as one platform hands them over (UTF-32 on Linux, UTF-16 on
// Windows) to UTF-16 units. Values that are not characters become U+FFFD.
std::u16string WideToUtf16(std::wstring_view text);

}  // namespace lq3860
