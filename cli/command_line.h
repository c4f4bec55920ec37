// SPDX-License-Identifier: MIT
#pragma once
// Parses the arguments of lq3860ctl into one request. Options of the tool
// (--simulate and the simulated module's options, --device, --all, --json) may
// stand before or after the command.
#include <optional>
#include <string>
#include <vector>

#include "simulated_module/simulation_options.h"

namespace lq3860 {

enum class ToolCommand { Help, Version, List, Info, Signal, Read, Write, GetMac };

struct CommandLine {
    ToolCommand command = ToolCommand::Help;
    std::optional<ToolCommand> helpTopic;  // the command whose help was asked for
    bool simulate = false;
    SimulationOptions simulation;  // the simulated module's name, faults and state file
    int deviceIndex = 0;
    bool all = false;  // every listed module at once, each on its own link
    bool json = false;
    bool verbose = false;                    // the link's debug texts to stderr as they happen
    std::string saveFile;                    // read --save FILE
    std::string configFile;                  // write FILE
    std::string ipAddress;                   // getmac IPV4
    std::optional<std::string> adapterName;  // getmac --adapter NAME
};

struct ParseResult {
    bool ok = false;
    CommandLine commandLine;
    std::string error;  // why the arguments were refused, when !ok
};

ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace lq3860
