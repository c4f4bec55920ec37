// SPDX-License-Identifier: MIT
#pragma once
// One module's run among several side by side (--all, station): its own
// request, output, messages and access, each with its own session and link
// on the platform of one scan, so a module that fails cannot stop or
// disturb the others.
#include <sstream>
#include <string>
#include <utility>

#include "cli/exit_codes.h"
#include "cli/module_access.h"
#include "cli/tool_context.h"
#include "device/terminal_text.h"
#include "simulated_module/simulation_options.h"

namespace lq3860 {

// The request for one slot: that module, and its own --save file.
inline CommandLine SlotLine(const CommandLine& all, int slot) {
    CommandLine line = all;
    line.all = false;
    line.deviceIndex = slot;
    line.deviceText.clear();
    if (!line.saveFile.empty()) line.saveFile = NumberedFileName(line.saveFile, slot);
    return line;
}

struct ModuleRun {
    // `scanned` must be prepared and outlive the run; Prepare the run's access next.
    ModuleRun(const ToolContext& all, const ModuleAccess& scanned, int slotNumber, std::string moduleLabel)
        : slot(slotNumber),
          label(std::move(moduleLabel)),
          line(SlotLine(all.line, slotNumber)),
          share{std::to_string(slotNumber) + '\t' + EscapeForTerminal(label) + '\t', std::nullopt, {}, std::nullopt},
          context{line, out, err, &share, all.terminalOutput},
          access(context, scanned) {}

    const int slot;
    const std::string label;
    const CommandLine line;
    std::ostringstream out;
    std::ostringstream err;
    ModuleShare share;
    const ToolContext context;
    ModuleAccess access;
    int status = EXIT_FAILED;
};

}  // namespace lq3860
