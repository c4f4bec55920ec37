// SPDX-License-Identifier: MIT
#pragma once
// The commands of lq3860ctl. Each returns the exit status.
#include "cli/module_access.h"
#include "cli/tool_context.h"
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

// info, signal, read or write on every listed module at once (--all).
int RunOnAllModules(const ToolContext& context, ModuleAccess& access);

}  // namespace lq3860
