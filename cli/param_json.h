#pragma once
// A parameter set as JSON members: the indexes as numbers with their item
// texts (null for an index outside its list), SSID and key as text, the MAC
// as XX-XX-XX-XX-XX-XX.
#include "cli/json_writer.h"
#include "params/module_params.h"

JsonObject ParamsJson(const ModuleParamSet& params);
