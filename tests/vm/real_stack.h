#pragma once
// The fixture of the scenarios on the real kernel HID stack: it plugs
// lq3860-sim modules and sees them through hidapi and the device table; the
// processes it started are stopped (their modules unplugged) at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/hid_device_table.h"
#include "device/hidapi_platform.h"
#include "device/module_link.h"
#include "guest_programs.h"
#include "session/session.h"

namespace lq3860 {

class RealStack : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WaitForDevices(0)) << "devices of an earlier scenario are still there"; }
    void TearDown() override { Unplug(); }

    // One lq3860-sim per option list; true once the kernel shows `devices` hidraw nodes.
    bool Plug(std::vector<Args> processes, std::size_t devices) {
        for (Args& options : processes) sims_.push_back(Start(SIM, std::move(options)));
        return std::count(sims_.begin(), sims_.end(), -1) == 0 && WaitForDevices(devices);
    }
    bool PlugOneAndOpen(Args options) { return Plug({std::move(options)}, 1) && Scan() == 1 && link_.OpenModule(0); }
    void Unplug() {
        for (pid_t pid : sims_) Stop(pid);
        sims_.clear();
    }
    static bool WaitForDevices(std::size_t count) { return WaitForHidrawNodes(count); }
    int Scan() { return table_.HID_ClearList(), table_.HID_Enumerate(); }

    HidapiPlatform platform_;       // the program's: LQ-3860 vendor only
    HidapiPlatform allVendors_{0};  // every HID interface, for settled devices only
    std::vector<pid_t> sims_;
    Session session_{&platform_};
    HidDeviceTable& table_ = session_.Devices();
    ModuleLink& link_ = session_.link;
    HidReport reply_{};
};

}  // namespace lq3860
