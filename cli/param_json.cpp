// SPDX-License-Identifier: MIT
#include "cli/param_json.h"

#include <string_view>

#include "types/mac_text.h"

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
    object.AddText("mac", MacText(params.mac));
    return object;
}

}  // namespace lq3860
