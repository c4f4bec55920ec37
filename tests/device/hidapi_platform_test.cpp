// The real platform on this machine: no module is attached, but listing and
// refusing a missing node must work.
#include <gtest/gtest.h>

#include "device/hidapi_platform.h"

TEST(HidapiPlatform, ListsPathsAndRefusesMissingNodesWithoutBlamingPermissions) {
    HidapiPlatform platform;
    for (const HidInterfaceInfo& info : platform.ListInterfaces()) EXPECT_FALSE(info.path.empty());
    bool denied = true;
    EXPECT_EQ(platform.Open("/dev/hidraw-does-not-exist", denied), nullptr);
    EXPECT_FALSE(denied);  // a missing node is not a permission problem
}
