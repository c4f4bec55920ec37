// SPDX-License-Identifier: MIT
// Device events on a platform that has no monitor yet (Windows): none. The
// window then rebuilds its module list on its timer after a link closes, as
// it does wherever no device events arrive.
#include "device/hotplug_monitor.h"

namespace lq3860 {

std::unique_ptr<HotplugMonitor> OpenHostHotplugMonitor() {
    return nullptr;
}

}  // namespace lq3860
