// SPDX-License-Identifier: MIT
#include "device/device_path_windows.h"

#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string InterfacePathOf(std::wstring_view systemPath) {
    std::string path = WideToUtf8(systemPath);
    for (char& c : path) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return path;
}

std::uint16_t VendorIdOfInterfacePath(std::string_view path) {
    constexpr std::string_view MARK = "vid_";
    for (std::size_t at = path.find(MARK); at != std::string_view::npos; at = path.find(MARK, at + 1)) {
        if (at == 0 || (path[at - 1] != '#' && path[at - 1] != '&' && path[at - 1] != '\\')) continue;
        if (path.size() < at + MARK.size() + 4) return 0;
        unsigned value = 0;
        for (std::size_t i = at + MARK.size(); i < at + MARK.size() + 4; ++i) {
            const int digit = HexValue(path[i]);
            if (digit < 0) return 0;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return static_cast<std::uint16_t>(value);
    }
    return 0;
}

}  // namespace lq3860
