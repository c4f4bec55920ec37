// SPDX-License-Identifier: MIT
#pragma once
// Building parameter sets and comparing them byte by byte in tests.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "types/module_params.h"

namespace lq3860 {

inline ModuleParamSet MakeParams(std::uint8_t mode, std::uint8_t channel, std::uint8_t encryption,
                                 const std::string& ssid, const std::string& key,
                                 std::initializer_list<std::uint8_t> mac) {
    ModuleParamSet params{mode, channel, encryption, {}, {}, {}};
    StoreParamText(params.ssid, ssid);
    StoreParamText(params.key, key);
    std::copy_n(mac.begin(), std::min(mac.size(), MAC_LENGTH), params.mac);
    return params;
}

// A set that a failed load or read must leave as it was. Its long texts also
// show when a shorter text leaves stale bytes behind.
inline ModuleParamSet Sentinel() {
    return MakeParams(9, 99, 9, std::string(40, 's'), std::string(60, 'k'), {7, 7, 7, 7, 7, 7});
}

// Every byte of the set: stale bytes after a text's terminator count too.
static_assert(sizeof(ModuleParamSet) == 3 + 2 * PARAM_TEXT_AREA + MAC_LENGTH, "the set has no padding");
inline std::string Dump(const ModuleParamSet& p) {
    return {reinterpret_cast<const char*>(&p), sizeof p};
}

}  // namespace lq3860
