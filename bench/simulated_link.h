#pragma once
// A device table on a simulated platform with `count` modules, module 0
// open, and the pauses of the procedures either skipped or real.
#include "device/hid_device_table.h"
#include "device/module_link.h"
#include "device/pause.h"
#include "device/simulated_platform.h"

class SimulatedLink {
public:
    enum class Pauses { Skipped, Real };

    explicit SimulatedLink(int count, Pauses pauses = Pauses::Skipped) {
        for (int i = 0; i < count; ++i) platform_.AddModule();
        HID_UsePlatform(&platform_);
        previousPause_ = SetPauseFunction(pauses == Pauses::Skipped ? PauseFunction([](unsigned) {})
                                                                     : PauseFunction());
        HID_ClearList();
        HID_Enumerate();
    }
    ~SimulatedLink() {
        HID_Close();
        HID_ClearList();
        HID_UsePlatform(nullptr);
        SetPauseFunction(previousPause_);
    }
    SimulatedLink(const SimulatedLink&) = delete;
    SimulatedLink& operator=(const SimulatedLink&) = delete;

    bool OpenFirst() { return OpenModule(link, 0); }

    LinkState link;

private:
    SimulatedPlatform platform_;
    PauseFunction previousPause_;
};
