// SPDX-License-Identifier: MIT
// On Linux windows need an X server or a Wayland compositor, named by the
// environment.
#include <QtGlobal>

#include "ui/host_display.h"

namespace lq3860 {

bool HostHasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace lq3860
