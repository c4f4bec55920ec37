#pragma once
// A device table on a fresh simulated platform, with the debug texts and the
// pauses recorded instead of printed and slept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/debug_output.h"
#include "device/hid_device_table.h"
#include "device/pause.h"
#include "device/simulated_platform.h"

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

    // Scans and opens slot 0.
    void ScanAndOpenFirst() {
        HID_ClearList();
        ASSERT_GT(HID_Enumerate(), 0);
        ASSERT_EQ(HID_Open(0), 1);
    }

    SimulatedPlatform platform;
    std::vector<std::string> debugTexts;
    std::vector<unsigned> pauses;

private:
    DebugSink previousSink;
    PauseFunction previousPause;
};
