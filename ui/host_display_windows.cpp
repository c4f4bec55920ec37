// SPDX-License-Identifier: MIT
// On Windows every process can create windows on its desktop, whether or not
// that desktop is shown (a service's window station is not), and a window
// renders itself for a screenshot either way. The windows platform plugin,
// which the program always ships, is the display; DISPLAY and
// WAYLAND_DISPLAY mean nothing there.
#include "ui/host_display.h"

namespace lq3860 {

bool HostHasDisplay() {
    return true;
}

}  // namespace lq3860
