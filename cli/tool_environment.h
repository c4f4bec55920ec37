// SPDX-License-Identifier: MIT
#pragma once
// What a run of the tool may be given instead of the real world: the HID
// platform for every module command (tests inject simulated modules), and a
// replacement for its waits.
#include "device/hid_platform.h"
#include "types/pause.h"

namespace lq3860 {

struct ToolEnvironment {
    HidPlatform* platform = nullptr;  // null: hardware, or the tool's own simulated module
    PauseFunction pause;              // empty: real waits
    bool terminalOutput = false;      // standard output is a terminal: texts of a module are escaped
};

}  // namespace lq3860
