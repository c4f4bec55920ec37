// SPDX-License-Identifier: MIT
#include "simulated_module/simulated_hotplug_monitor.h"

#include <utility>

namespace lq3860 {

std::vector<DeviceEvent> SimulatedHotplugMonitor::TakeEvents() {
    return std::exchange(events_, {});
}

void SimulatedHotplugMonitor::Inject(DeviceEvent event) {
    events_.push_back(std::move(event));
    if (wakeUp_) wakeUp_();
}

void SimulatedHotplugMonitor::Inject(DeviceEvent::Kind kind, const SimulatedInterface& interface) {
    Inject(DeviceEvent{kind, interface.path, interface.vendorId});
}

}  // namespace lq3860
