// SPDX-License-Identifier: MIT
#include "types/wide_text_windows.h"

#include <windows.h>

#include <climits>

namespace lq3860 {

bool Utf8ToWide(std::string_view text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) return true;
    if (text.size() > static_cast<std::size_t>(INT_MAX) || text.find('\0') != std::string_view::npos) return false;
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (units <= 0) return false;
    wide.resize(static_cast<std::size_t>(units));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), units) != units) {
        wide.clear();
        return false;
    }
    return true;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string text;
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX)) return text;
    const int length = static_cast<int>(wide.size());
    // Without WC_ERR_INVALID_CHARS an unpaired surrogate becomes U+FFFD.
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return text;
    text.resize(static_cast<std::size_t>(bytes));
    if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), bytes, nullptr, nullptr) != bytes) {
        text.clear();
    }
    return text;
}

bool PathFromUtf8(std::string_view text, std::filesystem::path& path) {
    std::wstring wide;
    if (!Utf8ToWide(text, wide)) return false;
    path = std::filesystem::path(wide);
    return true;
}

}  // namespace lq3860
