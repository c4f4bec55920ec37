// SPDX-License-Identifier: MIT
#include "device/hidraw_sys_path.h"

#include <charconv>
#include <system_error>

namespace lq3860 {

namespace {

// Hexadecimal digits only, at least `digits` of them.
template <typename Number>
bool ParseHexField(std::string_view text, std::size_t digits, Number& value) {
    if (text.size() < digits) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::uint16_t VendorIdOfHidrawSysPath(std::string_view sysPath) {
    // ".../<hid device>/hidraw/hidrawN": the component two above the last.
    const std::size_t classDir = sysPath.rfind("/hidraw/hidraw");
    if (classDir == std::string_view::npos || classDir == 0) return 0;
    const std::string_view parent = sysPath.substr(0, classDir);
    const std::string_view name = parent.substr(parent.rfind('/') + 1);
    // "BBBB:VVVV:PPPP.NNNN"; the instance counter grows past four digits.
    std::uint16_t bus = 0, vendor = 0, product = 0;
    unsigned long instance = 0;
    if (name.size() < 19 || name[4] != ':' || name[9] != ':' || name[14] != '.') return 0;
    const bool parsed = ParseHexField(name.substr(0, 4), 4, bus) && ParseHexField(name.substr(5, 4), 4, vendor) &&
                        ParseHexField(name.substr(10, 4), 4, product) && ParseHexField(name.substr(15), 4, instance);
    return parsed ? vendor : 0;
}

}  // namespace lq3860
