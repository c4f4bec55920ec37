// SPDX-License-Identifier: MIT
// Arbitrary file contents through the configuration reader: no crash, no
// undefined behaviour, texts stay terminated, a refusal changes nothing,
// and whatever loads saves and loads back to the same set.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz_check.h"
#include "params/config_file.h"

namespace lq3860 {
namespace {

ModuleParamSet Sentinel() {
    ModuleParamSet params;
    params.mode = 0xA5;
    std::memset(params.ssid, 'S', sizeof params.ssid - 1);
    std::memset(params.key, 'K', sizeof params.key - 1);
    std::memset(params.mac, 0x5A, sizeof params.mac);
    return params;
}

}  // namespace
}  // namespace lq3860

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lq3860;
    if (size > CONFIG_FILE_MAX) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ModuleParamSet before = Sentinel();
    ModuleParamSet params = before;
    const ConfigLoadResult result = ParseConfiguration(text, params);

    if (!result.ok) {
        FUZZ_CHECK(result.message != nullptr);
        FUZZ_CHECK(std::memcmp(&params, &before, sizeof params) == 0);
        return 0;
    }
    FUZZ_CHECK(result.message == nullptr);
    FUZZ_CHECK(params.ssid[PARAM_TEXT_AREA - 1] == '\0');
    FUZZ_CHECK(params.key[PARAM_TEXT_AREA - 1] == '\0');

    // The saved form holds at most 20 SSID characters; with that cut, a
    // loaded set survives a save and load unchanged (empty texts become "*").
    ModuleParamSet expected = params;
    StoreParamText(expected.ssid, std::string_view(params.ssid), SSID_SENT_LENGTH);
    if (expected.ssid[0] == '\0') StoreParamText(expected.ssid, "*");
    if (expected.key[0] == '\0') StoreParamText(expected.key, "*");
    ModuleParamSet reloaded = Sentinel();
    FUZZ_CHECK(ParseConfiguration(FormatConfiguration(params), reloaded).ok);
    FUZZ_CHECK(std::memcmp(&reloaded, &expected, sizeof expected) == 0);
    return 0;
}
