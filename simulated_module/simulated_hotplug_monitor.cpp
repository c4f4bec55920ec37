// SPDX-License-Identifier: MIT
#include "simulated_module/simulated_hotplug_monitor.h"

#include <chrono>
#include <utility>

namespace lq3860 {

std::vector<DeviceEvent> SimulatedHotplugMonitor::TakeEvents() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(events_, {});
}

bool SimulatedHotplugMonitor::WaitForEvents(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !events_.empty(); });
}

void SimulatedHotplugMonitor::Inject(DeviceEvent event) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::move(event));
        arrived_.notify_all();
    }
    // Outside the lock: the watcher's wake-up may take the events at once.
    if (wakeUp_) wakeUp_();
}

void SimulatedHotplugMonitor::Inject(DeviceEvent::Kind kind, const SimulatedInterface& interface) {
    Inject(DeviceEvent{kind, interface.path, interface.vendorId});
}

}  // namespace lq3860
