// SPDX-License-Identifier: MIT
#pragma once
// The texts of --help, COMMAND --help and --version.
#include <optional>
#include <string>

#include "cli/command_line.h"

namespace lq3860 {

// The whole help without a topic; a command's own help with one.
std::string HelpText(std::optional<ToolCommand> topic);
// The table of exit statuses that ends the help (the README shows it too).
std::string ExitStatusHelp();
// "lq3860ctl <version>"
extern const char* const VERSION_TEXT;

}  // namespace lq3860
