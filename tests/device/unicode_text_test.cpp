// Wide product strings as hidapi hands them over, turned into UTF-16 units.
#include <gtest/gtest.h>

#include "device/unicode_text.h"

TEST(WideToUtf16, KeepsBasicPlaneAndSplitsAstralCharacters) {
    EXPECT_EQ(WideToUtf16(L"LQ-3860 \u00e9\u6a21"), u"LQ-3860 \u00e9\u6a21");
    EXPECT_EQ(WideToUtf16(L"\U0001F4F6"), u"\U0001F4F6");
    EXPECT_EQ(WideToUtf16(L""), u"");
}

TEST(WideToUtf16, ValuesThatAreNoCharactersBecomeReplacements) {
    if constexpr (sizeof(wchar_t) == 4) {
        std::wstring wide = L"a";
        wide.push_back(static_cast<wchar_t>(0x110000));
        wide.push_back(static_cast<wchar_t>(0xD800));
        EXPECT_EQ(WideToUtf16(wide), u"a\uFFFD\uFFFD");
    } else {
        GTEST_SKIP() << "wide characters are UTF-16 units here";
    }
}

TEST(Utf16ToUtf8Bounded, AFourByteCharacterNeedsRoomForAllItsBytes) {
    char out[5];
    EXPECT_EQ(Utf16ToUtf8Bounded(u"\U0001F4F6", out, 4), 0u);  // 4 bytes + terminator do not fit
    EXPECT_STREQ(out, "");
    EXPECT_EQ(Utf16ToUtf8Bounded(u"\U0001F4F6", out, 5), 4u);
    EXPECT_STREQ(out, "\xf0\x9f\x93\xb6");
}
