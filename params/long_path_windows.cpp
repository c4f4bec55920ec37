// SPDX-License-Identifier: MIT
#include "params/long_path_windows.h"

#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

const std::wstring EXTENDED = LR"(\\?\)";
const std::wstring EXTENDED_UNC = LR"(\\?\UNC\)";
const std::wstring UNC = LR"(\\)";

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

std::wstring ExtendedPath(const std::wstring& fullPath) {
    if (StartsWith(fullPath, EXTENDED)) return fullPath;
    if (StartsWith(fullPath, UNC)) return EXTENDED_UNC + fullPath.substr(UNC.size());
    return EXTENDED + fullPath;
}

std::string DisplayPath(const std::wstring& path) {
    if (StartsWith(path, EXTENDED_UNC)) return WideToUtf8(UNC + path.substr(EXTENDED_UNC.size()));
    if (StartsWith(path, EXTENDED)) return WideToUtf8(path.substr(EXTENDED.size()));
    return WideToUtf8(path);
}

}  // namespace lq3860
