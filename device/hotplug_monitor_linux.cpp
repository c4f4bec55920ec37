// SPDX-License-Identifier: MIT
// The host's device events on Linux: a udev monitor for the hidraw subsystem.
#include <libudev.h>
#include <poll.h>

#include <cstring>
#include <optional>

#include "device/hidraw_sys_path.h"
#include "device/hotplug_monitor.h"

namespace lq3860 {

namespace {

// Events taken per call at most; more wait for the next call, so a flood of
// events cannot hold the caller's event loop.
constexpr int MAX_EVENTS_PER_CALL = 64;

std::optional<DeviceEvent> ToDeviceEvent(udev_device* device) {
    const char* action = udev_device_get_action(device);
    const char* subsystem = udev_device_get_subsystem(device);
    const char* node = udev_device_get_devnode(device);
    const char* sysPath = udev_device_get_syspath(device);
    if (action == nullptr || subsystem == nullptr || node == nullptr || sysPath == nullptr) return std::nullopt;
    if (std::strcmp(subsystem, "hidraw") != 0) return std::nullopt;
    DeviceEvent event;
    if (std::strcmp(action, "add") == 0) {
        event.kind = DeviceEvent::Kind::Added;
    } else if (std::strcmp(action, "remove") == 0) {
        event.kind = DeviceEvent::Kind::Removed;
    } else {
        return std::nullopt;
    }
    event.path = node;
    event.vendorId = VendorIdOfHidrawSysPath(sysPath);
    return event;
}

class UdevHotplugMonitor : public HotplugMonitor {
public:
    UdevHotplugMonitor(udev* context, udev_monitor* monitor) : context_(context), monitor_(monitor) {}
    ~UdevHotplugMonitor() override {
        udev_monitor_unref(monitor_);
        udev_unref(context_);
    }
    UdevHotplugMonitor(const UdevHotplugMonitor&) = delete;
    UdevHotplugMonitor& operator=(const UdevHotplugMonitor&) = delete;

    int Descriptor() const override { return udev_monitor_get_fd(monitor_); }
    void SetWakeUp(std::function<void()>) override {}  // the descriptor wakes the caller

    bool WaitForEvents(int milliseconds) override {
        pollfd wait{Descriptor(), POLLIN, 0};
        return ::poll(&wait, 1, milliseconds) > 0;
    }

    std::vector<DeviceEvent> TakeEvents() override {
        std::vector<DeviceEvent> events;
        for (int taken = 0; taken < MAX_EVENTS_PER_CALL; ++taken) {
            // The monitor's socket does not block: null when nothing waits.
            udev_device* device = udev_monitor_receive_device(monitor_);
            if (device == nullptr) break;
            if (std::optional<DeviceEvent> event = ToDeviceEvent(device)) events.push_back(std::move(*event));
            udev_device_unref(device);
        }
        return events;
    }

private:
    udev* context_;
    udev_monitor* monitor_;
};

// udevd relays the kernel's events once its rules have run (so the node's
// permissions are set by then), but only while it runs. Without udevd (a
// minimal system, a container) the kernel's own events are all there is.
const char* EventSource(udev* context) {
    udev_queue* queue = udev_queue_new(context);
    const bool udevdRuns = queue != nullptr && udev_queue_get_udev_is_active(queue) != 0;
    udev_queue_unref(queue);
    return udevdRuns ? "udev" : "kernel";
}

}  // namespace

std::unique_ptr<HotplugMonitor> OpenHostHotplugMonitor() {
    udev* context = udev_new();
    if (context == nullptr) return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, EventSource(context));
    if (monitor == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::make_unique<UdevHotplugMonitor>(context, monitor);
}

}  // namespace lq3860
