// SPDX-License-Identifier: MIT
#pragma once
// The texts of --help, COMMAND --help and --version.
#include <optional>
#include <string>

#include "cli/command_line.h"

namespace lq3860 {

// The whole help without a topic; a command's own help with one.
std::string HelpText(std::optional<ToolCommand> topic);
// "lq3860ctl <version>"
extern const char* const VERSION_TEXT;

}  // namespace lq3860
