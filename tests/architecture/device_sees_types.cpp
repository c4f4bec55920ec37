// SPDX-License-Identifier: MIT
// Builds: the device layer uses the shared types below it.
#include "device/module_link.h"
#include "types/module_params.h"

namespace lq3860 {

int SlotsOfTheTable() {
    return HID_MAX_DEVICES + static_cast<int>(sizeof(ModuleParamSet) > 0);
}

}  // namespace lq3860
