// SPDX-License-Identifier: MIT
#pragma once
// The HID platform of real modules on the system the program runs on: hidapi
// over hidraw on Linux, the system's HID API on Windows. Each platform file
// implements it.
#include <memory>

#include "device/hid_platform.h"

namespace lq3860 {

std::unique_ptr<HidPlatform> HostHidPlatform();

}  // namespace lq3860
