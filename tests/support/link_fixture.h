// SPDX-License-Identifier: MIT
#pragma once
// A device table and link on a fresh simulated platform, with the debug texts
// and the pauses (the procedures' own and a read's time limit) recorded
// instead of printed and slept.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "device/hid_device_table.h"
#include "device/module_link.h"
#include "simulated_module/simulated_platform.h"
#include "types/debug_output.h"
#include "types/pause.h"

namespace lq3860 {

using Texts = std::vector<std::string>;

inline HidReport CommandReport(const char* command) {
    HidReport report;
    return BuildCommandReport(command, report), report;
}

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture() {
        platform.readWait.Replace([this](unsigned ms) { pauses.push_back(ms); });
    }
    int Rescan() {
        table.HID_ClearList();
        return table.HID_Enumerate();
    }
    // One module, scanned into slot 0.
    void AddScannedModule() {
        module = &platform.AddModule();
        ASSERT_EQ(Rescan(), 1);
    }
    // deviceOpen and rescanNeeded.
    std::pair<int, int> Flags() const { return {link.deviceOpen, link.rescanNeeded}; }
    static constexpr std::pair<int, int> KEPT{1, 0}, DROPPED{0, 1};

    SimulatedPlatform platform;
    SimulatedInterface* module = nullptr;
    Texts debugTexts;
    std::vector<unsigned> pauses;
    DebugOutput debug{[this](std::string_view text) { debugTexts.emplace_back(text); }};
    Pause pause{[this](unsigned ms) { pauses.push_back(ms); }};
    HidDeviceTable table{&platform};
    ModuleLink link{table, debug, pause};
    HidReport reply{};
};

}  // namespace lq3860
