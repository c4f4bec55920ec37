// SPDX-License-Identifier: MIT
#pragma once
// Parses the arguments of lq3860ctl into one request. Options of the tool
// (--simulate and the simulated module's options, --device, --all, --json) may
// stand before or after the command.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "program/completion_script.h"
#include "program/options.h"
#include "simulated_module/simulation_options.h"

namespace lq3860 {

enum class ToolOption {
    Simulate,
    Device,
    All,
    Json,
    Save,
    Strict,
    Verify,
    Count,
    SkipAttached,
    Adapter,
    Verbose,
    Help,
    Version,
    Completion
};

enum class ToolCommand { Help, Version, Completion, List, Info, Signal, Read, Write, Station, GetMac };

struct CommandLine {
    ToolCommand command = ToolCommand::Help;
    std::optional<ToolCommand> helpTopic;  // the command whose help was asked for
    bool simulate = false;
    SimulationOptions simulation;  // the simulated module's name, faults and state file
    int deviceIndex = 0;           // --device N
    std::string deviceText;        // --device PATH or NAME (a unique prefix); empty: deviceIndex
    bool all = false;              // every listed module at once, each on its own link
    bool json = false;
    bool verify = false;                     // write --verify: read back and compare
    bool verbose = false;                    // the link's debug texts to stderr as they happen
    bool strict = false;                     // write: refuse a file the field rules would change
    std::string saveFile;                    // read --save FILE
    std::string configFile;                  // write FILE, station FILE
    int stationCount = 0;                    // station --count N; 0: until interrupted
    bool skipAttached = false;               // station --skip-attached
    std::string ipAddress;                   // getmac IPV4
    std::optional<std::string> adapterName;  // getmac --adapter NAME
    std::string completionShell;             // --completion SHELL
};

struct ParseResult {
    bool ok = false;
    CommandLine commandLine;
    std::string error;  // why the arguments were refused, when !ok
};

ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

// The tool's own options, and with them the simulated module's: the list
// the parser reads, for the help text and the shells' completion.
std::span<const Option<ToolOption>> ToolOptions();
const OptionList& ToolOptionTable();
std::vector<CommandEntry> ToolCommandTable();

}  // namespace lq3860
