// SPDX-License-Identifier: MIT
#pragma once
// A session on a simulated platform with `count` modules, scanned, and the
// pauses of the procedures either skipped or real.
#include "session/session.h"
#include "simulated_module/simulated_platform.h"

namespace lq3860 {

class SimulatedLink {
public:
    enum class Pauses { Skipped, Real };

    explicit SimulatedLink(int count, Pauses pauses = Pauses::Skipped) {
        for (int i = 0; i < count; ++i) platform_.AddModule();
        if (pauses == Pauses::Skipped) session.pause.Replace([](unsigned) {});
        session.Devices().HID_ClearList();
        session.Devices().HID_Enumerate();
    }

    bool OpenFirst() { return link.OpenModule(0); }

private:
    SimulatedPlatform platform_;

public:
    Session session{&platform_};
    HidDeviceTable& devices = session.Devices();
    ModuleLink& link = session.link;
};

}  // namespace lq3860
