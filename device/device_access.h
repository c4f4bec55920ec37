#pragma once

namespace lq3860 {

// What the user is told when a scan finds an LQ-3860 that this user may not
// open. The window and the command-line tool show the same text.

inline constexpr const char* DEVICE_ACCESS_DENIED_MESSAGE =
    "An LQ-3860 module is attached but cannot be opened: no permission to use the device. "
    "Install the udev rule 70-lq3860.rules into /usr/lib/udev/rules.d/ "
    "(the package does this; from the sources: packaging/70-lq3860.rules), "
    "run 'udevadm control --reload-rules', then unplug and replug the module.";

}  // namespace lq3860
