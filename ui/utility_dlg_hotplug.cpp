// SPDX-License-Identifier: MIT
// The main window's reaction to modules that are plugged or pulled while it
// runs, where the host reports device events.
#include "device/hid_device_table.h"
#include "ui/device_event_watch.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

void CUtilityDlg::WatchDeviceEvents(HotplugMonitor& monitor) {
    delete deviceEventWatch_;
    deviceEventWatch_ = new DeviceEventWatch(
        monitor, [this](const DeviceEvent& event) { OnDeviceEvent(event); }, this);
}

void CUtilityDlg::OnDeviceEvent(const DeviceEvent& event) {
    ModuleLink& link = session_.link;
    if (link.deviceOpen != 0) {
        // The open module is gone: the link closes now rather than at the
        // next failed exchange, and the next tick rebuilds the list. Other
        // modules coming or going leave the list alone, so its positions
        // keep naming the slots they named when the module was chosen.
        if (event.kind == DeviceEvent::Kind::Removed && event.path == openPath_) link.CloseLink();
        return;
    }
    // No module open: the next tick rebuilds the list.
    if (event.vendorId == LQ3860_VENDOR_ID) link.rescanNeeded = 1;
}

}  // namespace lq3860
