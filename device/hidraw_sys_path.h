// SPDX-License-Identifier: MIT
#pragma once
// What the kernel's name of a HID device tells about it. A hidraw interface
// lives below its HID device, whose name is "BBBB:VVVV:PPPP.NNNN" (bus,
// vendor, product, instance; upper-case hexadecimal), as in
// /sys/devices/.../0003:7E3A:3860.0001/hidraw/hidraw0. Reading it from the
// path works for removed interfaces too, whose sysfs entries are gone.
#include <cstdint>
#include <string_view>

namespace lq3860 {

// The USB vendor id in a hidraw interface's sysfs path; 0 when the path does
// not name a hidraw interface below a HID device.
std::uint16_t VendorIdOfHidrawSysPath(std::string_view sysPath);

}  // namespace lq3860
