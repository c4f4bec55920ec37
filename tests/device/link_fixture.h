#pragma once
// A device table on a fresh simulated platform, with the debug texts and the
// pauses recorded instead of printed and slept.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "device/debug_output.h"
#include "device/hid_device_table.h"
#include "device/module_link.h"
#include "device/pause.h"
#include "device/simulated_platform.h"

using Texts = std::vector<std::string>;

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        HID_UsePlatform(&platform);
        previousSink = SetDebugSink([this](std::string_view text) { debugTexts.emplace_back(text); });
        previousPause = SetPauseFunction([this](unsigned ms) { pauses.push_back(ms); });
    }
    void TearDown() override {
        HID_Close();
        HID_ClearList();
        HID_UsePlatform(nullptr);
        SetDebugSink(previousSink);
        SetPauseFunction(previousPause);
    }
    static int Rescan() {
        HID_ClearList();
        return HID_Enumerate();
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
    LinkState link;
    HidReport reply{};
    Texts debugTexts;
    std::vector<unsigned> pauses;

private:
    DebugSink previousSink;
    PauseFunction previousPause;
};
