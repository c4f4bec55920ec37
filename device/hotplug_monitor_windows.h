// SPDX-License-Identifier: MIT
#pragma once
// Device events on Windows: the configuration manager's notifications for
// the HID device interface class (CM_Register_Notification), turned into the
// seam's events. The system calls back on a thread of its own; the events
// wait under a lock until the caller's event loop takes them.
#include <windows.h>

#include <cfgmgr32.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "device/hotplug_monitor.h"

namespace lq3860 {

// The seam's event for one notification as the system delivers it (`size`
// bytes at `data`): the arrival or removal of a HID interface. Nothing for
// other actions, other classes and data that does not hold a whole,
// terminated interface name.
std::optional<DeviceEvent> DeviceEventOfNotification(CM_NOTIFY_ACTION action, const CM_NOTIFY_EVENT_DATA* data,
                                                     DWORD size);

class WindowsHotplugMonitor : public HotplugMonitor {
public:
    int Descriptor() const override { return -1; }
    void SetWakeUp(std::function<void()> wakeUp) override;
    std::vector<DeviceEvent> TakeEvents() override;
    bool WaitForEvents(int milliseconds) override;

    // One notification of the system: queued, and the caller woken, when it
    // is an event of the seam. Safe on any thread.
    void Notify(CM_NOTIFY_ACTION action, const CM_NOTIFY_EVENT_DATA* data, DWORD size);

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<DeviceEvent> events_;
    std::function<void()> wakeUp_;
};

}  // namespace lq3860
