// SPDX-License-Identifier: MIT
#pragma once
// Everything one window, one run of the tool or one test works on: the device
// table and the link to the open module, the parameter set, the signal level,
// the MAC hand-off, the user services, and where debug texts and waits go.
// Sessions share nothing, so several can run side by side.
#include <cstdint>

#include "device/hid_device_table.h"
#include "device/hid_platform.h"
#include "device/module_link.h"
#include "maclookup/mac_handoff.h"
#include "session/user_services.h"
#include "types/debug_output.h"
#include "types/module_params.h"
#include "types/pause.h"

namespace lq3860 {

class Session {
public:
    // platform: where modules are found (not owned; null: none).
    // services: message boxes and file dialogs (not owned; null: none).
    explicit Session(HidPlatform* platform, UserServices* services = nullptr);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    DebugOutput debugOutput;
    Pause pause;

private:
    HidDeviceTable table_;
    NoUserServices noServices_;
    UserServices* services_;

public:
    HidDeviceTable& Devices() { return table_; }
    UserServices& Services() const { return *services_; }

    ModuleLink link;  // deviceOpen, rescanNeeded and the exchanges on the table's handle
    ModuleParamSet ModuleParams;
    std::uint8_t signalLevel = 0;       // level character of the last accepted signal reply, as it arrived
    std::uint8_t shownSignalLevel = 0;  // the level the lamps last acted on
    MacHandOffRecord MacHandOff;
};

}  // namespace lq3860
