#include "device/module_label.h"

#include <cstdio>

#include "device/hid_device_table.h"

std::string ModuleLabel(int index) {
    char name[HID_PRODUCT_NAME_SIZE] = {};
    if (!HID_GetName(index, name, HID_PRODUCT_NAME_SIZE)) {
        std::snprintf(name, sizeof name, "Device %d", index);
    }
    return name;
}
