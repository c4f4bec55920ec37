#pragma once
// Conversions of USB product strings: the platform hands them over as UTF-16
// (or as wide characters), the program keeps them as UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

// Writes `text` as UTF-8 into destination, at most capacity - 1 bytes of
// whole characters followed by a zero byte; nothing is written past
// capacity bytes. A character that no longer fits ends the text. Unpaired
// surrogates become U+FFFD. Returns the number of bytes before the zero.
std::size_t Utf16ToUtf8Bounded(std::u16string_view text, char* destination, std::size_t capacity);

// Wide characters as one platform hands them over (UTF-32 on Linux, UTF-16 on
// Windows) to UTF-16 units. Values that are not characters become U+FFFD.
std::u16string WideToUtf16(std::wstring_view text);
