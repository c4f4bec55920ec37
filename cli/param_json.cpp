// SPDX-License-Identifier: MIT
#include "cli/param_json.h"

#include <cstdio>
#include <string_view>

namespace lq3860 {

namespace {

template <std::size_t N>
void AddItem(JsonObject& object, std::string_view key, const std::array<const char*, N>& items, std::uint8_t index) {
    if (index < N) {
        object.AddText(key, items[index]);
    } else {
        object.AddNull(key);
    }
}

}  // namespace

JsonObject ParamsJson(const ModuleParamSet& params) {
    JsonObject object;
    object.AddNumber("mode", params.mode);
    AddItem(object, "modeName", MODE_ITEMS, params.mode);
    object.AddNumber("channel", params.channel);
    object.AddNumber("encryption", params.encryption);
    AddItem(object, "encryptionName", ENCRYPTION_ITEMS, params.encryption);
    object.AddLatin1Text("ssid", ParamText(params.ssid));
    object.AddLatin1Text("key", ParamText(params.key));
    char mac[3 * MAC_LENGTH] = {};
    std::snprintf(mac, sizeof mac, "%02X-%02X-%02X-%02X-%02X-%02X", params.mac[0], params.mac[1], params.mac[2],
                  params.mac[3], params.mac[4], params.mac[5]);
    object.AddText("mac", mac);
    return object;
}

}  // namespace lq3860
