// SPDX-License-Identifier: MIT
// UTF-8 <-> UTF-16 at the edge of the Windows API.
#include <gtest/gtest.h>

#include <string>

#include "types/wide_text_windows.h"

namespace lq3860 {
namespace {

TEST(WideTextTest, TextsOutsideTheAnsiCodePageRoundTrip) {
    // Latin, Cyrillic and a character beyond the BMP (a surrogate pair).
    const std::string utf8 =
        "Konfig\xc3\xbcr\xc3\xa1tion-\xd0\xba\xd0\xbe\xd0\xbd\xd1\x84\xd0\xb8\xd0\xb3 \xf0\x9f\x93\xa1";
    const std::wstring utf16 = L"Konfig\u00fcr\u00e1tion-\u043a\u043e\u043d\u0444\u0438\u0433 \xd83d\xdce1";
    std::wstring wide = L"stale";
    ASSERT_TRUE(Utf8ToWide(utf8, wide));
    EXPECT_EQ(wide, utf16);
    EXPECT_EQ(WideToUtf8(utf16), utf8);

    std::filesystem::path path;
    ASSERT_TRUE(PathFromUtf8(utf8, path));
    EXPECT_EQ(path.wstring(), utf16);

    ASSERT_TRUE(Utf8ToWide("", wide));
    EXPECT_TRUE(wide.empty());
    EXPECT_EQ(WideToUtf8(L""), "");
}

TEST(WideTextTest, MalformedTextIsRefusedOrRepaired) {
    // A lone continuation byte, an overlong slash, a cut-off sequence, an
    // encoded surrogate and an embedded zero name no file.
    for (const std::string& bad : {std::string("a\x80"), std::string("\xc0\xaf"), std::string("ab\xe2\x82"),
                                   std::string("\xed\xa0\x80"), std::string("a\0b", 3)}) {
        std::wstring wide = L"stale";
        EXPECT_FALSE(Utf8ToWide(bad, wide)) << bad;
        EXPECT_TRUE(wide.empty());
        std::filesystem::path path("stale");
        EXPECT_FALSE(PathFromUtf8(bad, path));
    }
    // An unpaired surrogate from the system becomes U+FFFD.
    EXPECT_EQ(WideToUtf8(std::wstring(L"a") + wchar_t(0xD800) + L"b"),
              "a\xef\xbf\xbd"
              "b");
}

}  // namespace
}  // namespace lq3860
