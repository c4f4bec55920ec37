#pragma once
// The module a command works on: the simulated one (--simulate, optionally
// with its memory file) or real hardware through hidapi. Installs the
// platform under the device table for the lifetime of this object.
#include <memory>

#include "cli/tool_context.h"
#include "device/hid_platform.h"
#include "device/module_link.h"

class ModuleAccess {
public:
    // `injected`, when given, replaces both hardware and simulation (tests).
    ModuleAccess(const ToolContext& context, HidPlatform* injected);
    ~ModuleAccess();
    ModuleAccess(const ModuleAccess&) = delete;
    ModuleAccess& operator=(const ModuleAccess&) = delete;

    // Sets up the platform. EXIT_OK, or the exit status after its message
    // (a simulated memory file that cannot be loaded).
    int Prepare();
    // HID_ClearList and HID_Enumerate; the number of modules found.
    int Scan();
    // Scans and opens slot --device N. EXIT_OK, or EXIT_MODULE_FAILURE
    // after its message.
    int OpenSelectedModule(LinkState& link);
    // Tells the user how to get access when the last scan met modules this
    // user may not open.
    void ReportAccessDenied() const;
    // False (after its message) when the simulated module's memory file
    // could not be written back after an upload.
    bool MemoryKept() const;

private:
    const ToolContext& context_;
    HidPlatform* injected_;
    std::unique_ptr<HidPlatform> owned_;
    bool memoryWriteFailed_ = false;
};
