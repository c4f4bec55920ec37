// SPDX-License-Identifier: MIT
#pragma once
// A parameter set as JSON members: the indexes as numbers with their item
// texts (null for an index outside its list), SSID and key as text, the MAC
// as XX-XX-XX-XX-XX-XX.
#include "cli/json_writer.h"
#include "types/module_params.h"

namespace lq3860 {

JsonObject ParamsJson(const ModuleParamSet& params);

}  // namespace lq3860
