// SPDX-License-Identifier: MIT
#pragma once
// What a run of the tool may be given instead of the real world: the HID
// platform for every module command (tests inject simulated modules), a
// replacement for its waits, and the station's device events and log.
#include <ostream>

#include "device/hid_platform.h"
#include "device/hotplug_monitor.h"
#include "types/pause.h"

namespace lq3860 {

struct ToolEnvironment {
    HidPlatform* platform = nullptr;  // null: hardware, or the tool's own simulated module
    PauseFunction pause;              // empty: real waits
    bool terminalOutput = false;      // standard output is a terminal: texts of a module are escaped
    // Device events for the station; null: the host's, or none for an
    // injected platform or the tool's own simulated modules.
    HotplugMonitor* hotplug = nullptr;
    // Where the station logs its lines as they happen; null: the run's `out`.
    std::ostream* live = nullptr;
};

}  // namespace lq3860
