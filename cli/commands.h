// SPDX-License-Identifier: MIT
#pragma once
// The commands of lq3860ctl. Each returns the exit status.
#include <ostream>

#include "cli/module_access.h"
#include "cli/tool_context.h"
#include "device/hotplug_monitor.h"
#include "params/field_rules.h"
#include "types/module_params.h"

namespace lq3860 {

int RunList(const ToolContext& context, ModuleAccess& access);
int RunInfo(const ToolContext& context, ModuleAccess& access);
int RunSignal(const ToolContext& context, ModuleAccess& access);
int RunRead(const ToolContext& context, ModuleAccess& access);
int RunWrite(const ToolContext& context, ModuleAccess& access);
int RunGetMac(const ToolContext& context);

// write in two halves, so a run on every module reads and checks the file once.
struct WriteRequest {
    ModuleParamSet params;  // as loaded from the file
    ParamFields fields;     // as the window shows them after loading
};
// Loads and checks the configuration file; nothing is sent. EXIT_OK, or the
// exit status after its message.
int PrepareWrite(const ToolContext& context, WriteRequest& request);
// Opens the module and sends what the window sends for Write para.
int SendWrite(const ToolContext& context, ModuleAccess& access, const WriteRequest& request);
// The same on the module already open; with --verify reads the parameters
// back and compares every field that travels (EXIT_NOT_VERIFIED names the
// fields that differ, never their values).
int WriteOpenModule(const ToolContext& context, ModuleAccess& access, const WriteRequest& request);

// info, signal, read or write on every listed module at once (--all).
int RunOnAllModules(const ToolContext& context, ModuleAccess& access);

// station FILE: writes and verifies every module as it is plugged in, one
// line per module to `log` as it finishes, until interrupted or --count
// modules are done; device events from `monitor` (null: a scan each second).
int RunStation(const ToolContext& context, ModuleAccess& access, HotplugMonitor* monitor, std::ostream& log);

}  // namespace lq3860
