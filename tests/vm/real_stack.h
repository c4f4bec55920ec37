// SPDX-License-Identifier: MIT
#pragma once
// The fixture of the scenarios on the real kernel HID stack: it plugs
// lq3860-sim modules and sees them through hidapi and the device table.
#include "device/hid_device_table.h"
#include "device/hid_platform_linux.h"
#include "device/module_link.h"
#include "guest_programs.h"
#include "session/session.h"

namespace lq3860 {

class RealStack : public GuestScenario {
protected:
    bool PlugOneAndOpen(Args options) { return Plug({std::move(options)}, 1) && Scan() == 1 && link_.OpenModule(0); }
    int Scan() { return table_.HID_ClearList(), table_.HID_Enumerate(); }

    HidapiPlatform platform_;       // the program's: LQ-3860 vendor only
    HidapiPlatform allVendors_{0};  // every HID interface, for settled devices only
    Session session_{&platform_};
    HidDeviceTable& table_ = session_.Devices();
    ModuleLink& link_ = session_.link;
    HidReport reply_{};
};

}  // namespace lq3860
