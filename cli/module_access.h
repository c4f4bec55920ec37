// SPDX-License-Identifier: MIT
#pragma once
// The modules a command works on: the tool's own simulated ones (--simulate)
// or real hardware through hidapi, or an injected platform, and the session
// that works on them for this run.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/tool_context.h"
#include "cli/tool_environment.h"
#include "device/hid_platform.h"
#include "session/session.h"
#include "simulated_module/simulated_module.h"

namespace lq3860 {

// How a JSON object names its module: "slot", "name" and "path".
JsonObject ModuleJson(int slot, std::string_view name, std::string_view path);

class ModuleAccess {
public:
    ModuleAccess(const ToolContext& context, const ToolEnvironment& environment);
    // An access of its own (own session and link) on the platform of
    // `scanned`, holding the modules its last scan found: OpenSelectedModule
    // opens a slot of that scan without scanning again. `scanned` must be
    // prepared and outlive this access.
    ModuleAccess(const ToolContext& context, const ModuleAccess& scanned);
    ModuleAccess(const ModuleAccess&) = delete;
    ModuleAccess& operator=(const ModuleAccess&) = delete;

    // Sets up the platform and the session. EXIT_OK, or the exit status after
    // its message (a simulated module's state file that cannot be loaded).
    int Prepare();
    // Valid after a successful Prepare.
    Session& GetSession() { return *session_; }
    // HID_ClearList and HID_Enumerate; the number of modules found.
    int Scan();
    // Opens the module --device picks (slot, path or name): of a new scan, or
    // of the scan this access was given. EXIT_OK, or the exit status after
    // its message.
    int OpenSelectedModule();
    // After a failed exchange or procedure on the open module: `text`, and
    // the exit status of the cause the link names.
    int FailLink(std::string_view text) const;
    // The command's JSON fields, after the names of the open module (in a
    // run on every module, the run names it).
    void PrintJson(const JsonObject& fields) const;
    // Tells the user how to get access when the last scan met modules this
    // user may not open.
    void ReportAccessDenied() const;
    // False after its message when the last scan met more modules than the
    // table holds.
    bool AllListed() const;
    // EXIT_OK, or the exit status after its message when the open simulated
    // module's state file could not be written back after an upload.
    int MemoryStatus() const;
    // The last debug text of this run without its line end; after a failed
    // exchange it names the failure ("HID_Write Err", "HID_Read Err", "NG").
    std::string LastDebugText() const;

private:
    int PrepareOwnModules();
    // The slot --device names among `count` listed modules; -1 after its message.
    int SelectedSlot(int count) const;
    void MakeSession();

    const ToolContext& context_;
    const ToolEnvironment& environment_;
    const ModuleAccess* scanned_ = nullptr;  // the access whose scan this one works on
    std::unique_ptr<HidPlatform> owned_;
    HidPlatform* platform_ = nullptr;
    // The tool's own simulated modules by interface path.
    std::vector<std::pair<std::string, std::shared_ptr<SimulatedModule>>> simulated_;
    std::unique_ptr<Session> session_;
    std::vector<std::string> debugTexts_;
    int selectedSlot_ = -1;  // the slot OpenSelectedModule opened
};

}  // namespace lq3860
