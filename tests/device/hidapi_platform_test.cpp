// The real platform on this machine: no module is attached, but listing,
// scanning and refusing a missing node must work.
#include <gtest/gtest.h>

#include "device/hid_device_table.h"
#include "device/hidapi_platform.h"

TEST(HidapiPlatform, ListsPathsScansOnlyWhatItCanOpenAndRefusesMissingNodes) {
    HidapiPlatform platform;
    for (const HidInterfaceInfo& info : platform.ListInterfaces()) EXPECT_FALSE(info.path.empty());
    bool denied = true;
    EXPECT_EQ(platform.Open("/dev/hidraw-does-not-exist", denied), nullptr);
    EXPECT_FALSE(denied);  // a missing node is not a permission problem

    HID_UsePlatform(&platform);
    HID_ClearList();
    const int found = HID_Enumerate();
    EXPECT_EQ(found, HID_Count());
    for (int i = 0; i < found; ++i) EXPECT_NE(HID_GetPath(i), nullptr);
    HID_ClearList();
    HID_UsePlatform(nullptr);
}
