// What the kernel HID stack showed: a module without a product string comes
// through hidapi as an empty name. The device table must treat it as no name.
#include <gtest/gtest.h>

#include "device/hid_device_table.h"
#include "device/simulated_platform.h"

namespace {

class NamelessModule : public ::testing::Test {
protected:
    void SetUp() override { HID_UsePlatform(&platform_); }
    void TearDown() override {
        HID_Close();
        HID_ClearList();
        HID_UsePlatform(nullptr);
    }
    SimulatedPlatform platform_;
};

TEST_F(NamelessModule, EmptyProductStringIsNoNameAndLeavesTheDestinationAlone) {
    platform_.AddModule(u"");
    platform_.AddModule(u"LQ-3860 second");
    HID_ClearList();
    ASSERT_EQ(HID_Enumerate(), 2);
    char name[HID_PRODUCT_NAME_SIZE] = "previous";
    EXPECT_EQ(HID_GetName(0, name, sizeof name), 0);
    EXPECT_STREQ(name, "previous");
    // The other module is named as before.
    EXPECT_EQ(HID_GetName(1, name, sizeof name), 1);
    EXPECT_STREQ(name, "LQ-3860 second");
}

}  // namespace
