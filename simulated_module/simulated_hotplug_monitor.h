// SPDX-License-Identifier: MIT
#pragma once
// Device events made by hand: tests inject what the host would report when a
// module is plugged or pulled, and the watcher is woken as by a descriptor.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "device/hotplug_monitor.h"
#include "simulated_module/simulated_platform.h"

namespace lq3860 {

class SimulatedHotplugMonitor : public HotplugMonitor {
public:
    int Descriptor() const override { return -1; }
    void SetWakeUp(std::function<void()> wakeUp) override { wakeUp_ = std::move(wakeUp); }
    std::vector<DeviceEvent> TakeEvents() override;
    bool WaitForEvents(int milliseconds) override;

    // Queues the event and wakes the watcher. Safe on any thread.
    void Inject(DeviceEvent event);
    // The event the host reports when `interface` comes or goes.
    void Inject(DeviceEvent::Kind kind, const SimulatedInterface& interface);

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<DeviceEvent> events_;
    std::function<void()> wakeUp_;
};

}  // namespace lq3860
