// SPDX-License-Identifier: MIT
// The Linux platform files: hidapi's wide characters (32 bits here), a
// refused open without a module, and the vendor id a hidraw interface's
// sysfs path carries, which device events of removed interfaces still have.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "device/hid_platform_linux.h"
#include "device/hidraw_sys_path.h"
#include "device/unicode_text.h"

namespace lq3860 {

TEST(WideToUtf16, KeepsCharactersSplitsAstralOnesAndReplacesNonCharacters) {
    EXPECT_EQ(WideToUtf16(L"LQ-3860 \u00e9\u6a21\U0001F4F6"), u"LQ-3860 \u00e9\u6a21\U0001F4F6");
    const wchar_t invalid[] = {L'a', static_cast<wchar_t>(0x110000), static_cast<wchar_t>(0xD800), 0};
    EXPECT_EQ(WideToUtf16(invalid), u"a\uFFFD\uFFFD");
}

// No module is attached here, but listing and refusing a missing node must work.
TEST(HidapiPlatform, ListsPathsAndRefusesMissingNodesWithoutBlamingPermissions) {
    HidapiPlatform real;
    for (const HidInterfaceInfo& info : real.ListInterfaces()) EXPECT_FALSE(info.path.empty());
    bool denied = true;
    EXPECT_EQ(real.Open("/dev/hidraw-does-not-exist", denied), nullptr);
    EXPECT_FALSE(denied);
}

TEST(HidrawSysPath, VendorIdComesFromTheHidDeviceAboveTheNode) {
    const std::pair<std::string, std::uint16_t> rows[] = {
        {"/sys/devices/virtual/misc/uhid/0003:7E3A:3860.0001/hidraw/hidraw0", 0x7e3a},
        {"/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:046D:C52B.0007/hidraw/hidraw12", 0x046d},
        {"/sys/devices/virtual/misc/uhid/0005:7E3A:3860.1A2B3/hidraw/hidraw3", 0x7e3a},  // instance past four digits
        // Not a hidraw interface below a HID device.
        {"/sys/devices/virtual/misc/uhid/0003:7E3A:3860.0001/input/input5", 0},
        {"/sys/devices/virtual/misc/uhid/7E3A:3860.0001/hidraw/hidraw0", 0},
        {"/sys/devices/virtual/misc/uhid/0003:7G3A:3860.0001/hidraw/hidraw0", 0},
        {"", 0}};
    for (const auto& [path, vendor] : rows) EXPECT_EQ(VendorIdOfHidrawSysPath(path), vendor) << path;
}

}  // namespace lq3860
