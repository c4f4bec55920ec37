// SPDX-License-Identifier: MIT
#pragma once
// lq3860ctl from its arguments to its exit status.
#include <ostream>
#include <string>
#include <vector>

#include "cli/tool_environment.h"

namespace lq3860 {

// `arguments` without the program name.
int RunTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
            const ToolEnvironment& environment = {});

}  // namespace lq3860
