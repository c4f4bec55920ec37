// The hidapi platform of Linux: its wide characters (32 bits here) and a
// refused open without a module.
#include <gtest/gtest.h>

#include "device/hidapi_platform.h"
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

}  // namespace lq3860
