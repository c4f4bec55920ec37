// SPDX-License-Identifier: MIT
#pragma once
// Brings a hot-plug monitor's events into the Qt event loop: a socket
// notifier on the monitor's descriptor, or the monitor's wake-up as a queued
// call. Each event reaches the handler on the GUI thread.
#include <QObject>

#include <functional>

#include "device/hotplug_monitor.h"

namespace lq3860 {

class DeviceEventWatch : public QObject {
public:
    using Handler = std::function<void(const DeviceEvent&)>;

    // The monitor is not owned and must outlive the watch.
    DeviceEventWatch(HotplugMonitor& monitor, Handler handler, QObject* parent = nullptr);
    ~DeviceEventWatch() override;
    DeviceEventWatch(const DeviceEventWatch&) = delete;
    DeviceEventWatch& operator=(const DeviceEventWatch&) = delete;

private:
    void TakeEvents();

    HotplugMonitor& monitor_;
    Handler handler_;
};

}  // namespace lq3860
