// SPDX-License-Identifier: MIT
#pragma once
// Conversions between the program's UTF-8 strings and the UTF-16 strings of
// the Windows API (paths, adapter names, product strings). Windows only.
#include <filesystem>
#include <string>
#include <string_view>

namespace lq3860 {

// UTF-8 to UTF-16. False (and `wide` emptied) when `text` is not valid UTF-8
// or holds a zero byte: such a text names no file, and a zero would cut the
// name short in the API.
bool Utf8ToWide(std::string_view text, std::wstring& wide);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

// A path from a UTF-8 text. std::filesystem::path(std::string) would read
// the bytes in the ANSI code page instead, losing every character outside it.
// False for a text that Utf8ToWide refuses.
bool PathFromUtf8(std::string_view text, std::filesystem::path& path);

}  // namespace lq3860
