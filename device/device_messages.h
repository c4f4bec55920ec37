// SPDX-License-Identifier: MIT
#pragma once
// The device layer's user-facing texts. The window and the command-line tool
// show the same ones.

namespace lq3860 {

// A scan found an LQ-3860 that this user may not open.
inline constexpr const char* DEVICE_ACCESS_DENIED_MESSAGE =
    "An LQ-3860 module is attached but cannot be opened: no permission to use the device. "
    "Install the udev rule 70-lq3860.rules into /usr/lib/udev/rules.d/ "
    "(the package does this; from the sources: packaging/70-lq3860.rules), "
    "run 'udevadm control --reload-rules', then unplug and replug the module.";

// The chosen module is held by another program (another window or
// lq3860ctl run); nothing was sent to it.
inline constexpr const char* MODULE_IN_USE_MESSAGE = "The module is in use by another program.";

// A module whose product string cannot be read, named by its 0-based slot.
inline constexpr const char* UNNAMED_MODULE_LABEL = "Device %d";

}  // namespace lq3860
