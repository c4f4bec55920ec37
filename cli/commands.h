#pragma once
// The commands of lq3860ctl. Each returns the exit status.
#include "cli/module_access.h"
#include "cli/tool_context.h"

namespace lq3860 {

int RunList(const ToolContext& context, ModuleAccess& access);
int RunInfo(const ToolContext& context, ModuleAccess& access);
int RunSignal(const ToolContext& context, ModuleAccess& access);
int RunRead(const ToolContext& context, ModuleAccess& access);
int RunWrite(const ToolContext& context, ModuleAccess& access);
int RunGetMac(const ToolContext& context);

}  // namespace lq3860
