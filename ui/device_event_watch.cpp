// SPDX-License-Identifier: MIT
#include "ui/device_event_watch.h"

#include <QSocketNotifier>

namespace lq3860 {

DeviceEventWatch::DeviceEventWatch(HotplugMonitor& monitor, Handler handler, QObject* parent)
    : QObject(parent), monitor_(monitor), handler_(std::move(handler)) {
    const int descriptor = monitor_.Descriptor();
    if (descriptor >= 0) {
        auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &DeviceEventWatch::TakeEvents);
    } else {
        // Queued: the events are handled by the event loop, as a descriptor's would be.
        monitor_.SetWakeUp(
            [this] { QMetaObject::invokeMethod(this, &DeviceEventWatch::TakeEvents, Qt::QueuedConnection); });
    }
}

DeviceEventWatch::~DeviceEventWatch() {
    if (monitor_.Descriptor() < 0) monitor_.SetWakeUp(nullptr);
}

void DeviceEventWatch::TakeEvents() {
    for (const DeviceEvent& event : monitor_.TakeEvents()) handler_(event);
}

}  // namespace lq3860
