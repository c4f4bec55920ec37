// SPDX-License-Identifier: MIT
#include "device/module_label.h"

#include <cstdio>

#include "device/device_messages.h"

namespace lq3860 {

std::string ModuleLabel(HidDeviceTable& table, int index) {
    char name[HID_PRODUCT_NAME_SIZE] = {};
    if (!table.HID_GetName(index, name, HID_PRODUCT_NAME_SIZE)) {
        std::snprintf(name, sizeof name, UNNAMED_MODULE_LABEL, index);
    }
    return name;
}

}  // namespace lq3860
