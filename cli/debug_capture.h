#pragma once
// Keeps the diagnostics texts of the exchanges while a command runs, so the
// tool can name a link failure ("HID_Write Err", "HID_Read Err") on stderr.
#include <string>
#include <vector>

#include "device/debug_output.h"

class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // The last text written, without its line end; empty when none.
    std::string LastText() const;

private:
    std::vector<std::string> texts_;
    DebugSink previous_;
};
