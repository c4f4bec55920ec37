// SPDX-License-Identifier: MIT
#pragma once
// The parameter set of a module: what travels in the two parameter reports,
// what the configuration file stores and what the window shows.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lq3860 {

inline constexpr std::size_t PARAM_TEXT_AREA = 64;  // zero-terminated text areas
inline constexpr std::size_t SSID_SENT_LENGTH = 20;
inline constexpr std::size_t KEY_SENT_LENGTH = 63;
inline constexpr std::size_t MAC_LENGTH = 6;
inline constexpr std::uint8_t NO_SELECTION = 255;  // a combo without selection, kept in 8 bits

struct ModuleParamSet {
    std::uint8_t mode = 0;
    std::uint8_t channel = 0;
    std::uint8_t encryption = 0;
    char ssid[PARAM_TEXT_AREA] = {};
    char key[PARAM_TEXT_AREA] = {};
    std::uint8_t mac[MAC_LENGTH] = {};
};

// The text at `area` up to its first zero byte, at most maxLength
// characters; never reads further.
std::string_view BoundedText(const char* area, std::size_t maxLength);

// The text of an area up to its first zero byte, at most maxLength
// characters; never reads past the area.
std::string_view ParamText(const char (&area)[PARAM_TEXT_AREA], std::size_t maxLength = PARAM_TEXT_AREA);

// Replaces the whole earlier text: at most 63 characters of `text` (fewer
// when maxLength says so), followed by zero bytes up to the end of the area.
void StoreParamText(char (&area)[PARAM_TEXT_AREA], std::string_view text, std::size_t maxLength = PARAM_TEXT_AREA - 1);

// The item texts of the three selection lists, in index order.
inline constexpr std::array<const char*, 2> MODE_ITEMS = {"AP", "Ad-Hoc"};
inline constexpr int MODE_AP = 0;
inline constexpr int MODE_ADHOC = 1;
inline constexpr int CHANNEL_COUNT = 14;  // "0" .. "13"
inline constexpr std::array<const char*, 5> ENCRYPTION_ITEMS = {"NONE", "WEP64", "WEP128", "WPA-PSK(TKIP)",
                                                                "WPA2-PSK(AES)"};
inline constexpr int ENCRYPTION_NONE = 0;
inline constexpr int ENCRYPTION_ITEMS_ADHOC = 3;  // Ad-Hoc offers no WPA

}  // namespace lq3860
