#pragma once
// Building parameter sets and comparing them field by field in tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "params/module_params.h"

inline ModuleParamSet MakeParams(std::uint8_t mode, std::uint8_t channel, std::uint8_t encryption,
                                 const std::string& ssid, const std::string& key,
                                 std::initializer_list<std::uint8_t> mac) {
    ModuleParamSet params;
    params.mode = mode;
    params.channel = channel;
    params.encryption = encryption;
    StoreParamText(params.ssid, ssid);
    StoreParamText(params.key, key);
    std::size_t i = 0;
    for (std::uint8_t byte : mac) {
        if (i < MAC_LENGTH) params.mac[i++] = byte;
    }
    return params;
}

// The window's start state: Ad-Hoc, channel 2, NONE, "LQ-3860", no key, FF x6.
inline ModuleParamSet StartStateParams() {
    return MakeParams(1, 2, 0, "LQ-3860", "", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
}

// Whole text areas are compared, so stale bytes after the terminator count.
inline void ExpectSameParams(const ModuleParamSet& expected, const ModuleParamSet& actual) {
    EXPECT_EQ(expected.mode, actual.mode);
    EXPECT_EQ(expected.channel, actual.channel);
    EXPECT_EQ(expected.encryption, actual.encryption);
    EXPECT_EQ(std::string(expected.ssid, PARAM_TEXT_AREA), std::string(actual.ssid, PARAM_TEXT_AREA));
    EXPECT_EQ(std::string(expected.key, PARAM_TEXT_AREA), std::string(actual.key, PARAM_TEXT_AREA));
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) EXPECT_EQ(expected.mac[i], actual.mac[i]) << "MAC byte " << i;
}
