// The real platform on this machine: no module is attached, but listing and
// scanning must work and must not crash.
#include <gtest/gtest.h>

#include "device/hid_device_table.h"
#include "device/hidapi_platform.h"

TEST(HidapiPlatform, ListsInterfacesWithPaths) {
    HidapiPlatform platform;
    for (const HidInterfaceInfo& info : platform.ListInterfaces()) {
        EXPECT_FALSE(info.path.empty());
    }
}

TEST(HidapiPlatform, OpeningAMissingNodeFailsWithoutBlamingPermissions) {
    HidapiPlatform platform;
    bool denied = true;
    EXPECT_EQ(platform.Open("/dev/hidraw-does-not-exist", denied), nullptr);
    EXPECT_FALSE(denied);
}

TEST(HidapiPlatform, ScanFindsOnlyWhatItCanOpen) {
    HidapiPlatform platform;
    HID_UsePlatform(&platform);
    HID_ClearList();
    const int found = HID_Enumerate();
    EXPECT_EQ(found, HID_Count());
    for (int i = 0; i < found; ++i) EXPECT_NE(HID_GetPath(i), nullptr);
    HID_ClearList();
    HID_UsePlatform(nullptr);
}
