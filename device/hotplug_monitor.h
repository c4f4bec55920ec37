// SPDX-License-Identifier: MIT
#pragma once
// The seam between the window and the operating system's device events: HID
// interfaces that come and go while the program runs. Implementations: udev
// on Linux (hotplug_monitor_linux.cpp), the configuration manager's
// notifications on Windows (hotplug_monitor_windows.cpp), and a simulated
// monitor whose events tests inject (simulated_module/simulated_hotplug_monitor.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lq3860 {

// One HID interface that appeared or disappeared.
struct DeviceEvent {
    enum class Kind { Added, Removed };
    Kind kind = Kind::Added;
    // The interface's path as the HID platform lists it (hidapi: the hidraw
    // device node; Windows: the interface name in lower case), so it can be
    // compared with the open module's path.
    std::string path;
    // USB vendor id of the device the interface belongs to; 0 when unknown.
    std::uint16_t vendorId = 0;
};

class HotplugMonitor {
public:
    virtual ~HotplugMonitor() = default;
    // A descriptor that turns readable while events wait, for the caller's
    // event loop; -1 for a monitor that calls its wake-up function instead.
    virtual int Descriptor() const = 0;
    // Called by a monitor without a descriptor when events arrive.
    virtual void SetWakeUp(std::function<void()> wakeUp) = 0;
    // The events that arrived since the last call, oldest first. Never blocks.
    virtual std::vector<DeviceEvent> TakeEvents() = 0;
    // For a caller without an event loop of its own: waits until events are
    // there to take or `milliseconds` have passed (a signal may end it
    // earlier). True when events wait.
    virtual bool WaitForEvents(int milliseconds) = 0;
};

// The host's device events for HID interfaces; null where none can be had
// (no udev, no netlink socket; a Windows without CM_Register_Notification).
std::unique_ptr<HotplugMonitor> OpenHostHotplugMonitor();

}  // namespace lq3860
