// SPDX-License-Identifier: MIT
#pragma once
// The text that names a module in lists: its product name, or "Device N"
// (N its 0-based slot) when the product string cannot be read.
#include <string>

#include "device/hid_device_table.h"

namespace lq3860 {

std::string ModuleLabel(HidDeviceTable& table, int index);

}  // namespace lq3860
