// SPDX-License-Identifier: MIT
#pragma once
// The options that describe a simulated module on a command line, shared by
// lq3860ctl --simulate and lq3860-sim so both speak the same words.
#include <optional>
#include <span>
#include <string>

#include "program/options.h"
#include "simulated_module/simulated_module.h"

namespace lq3860 {

inline constexpr int MAX_SIMULATED_MODULES = 32;

struct SimulationOptions {
    std::optional<std::string> name;  // product name; nullopt: the program's default, "": none
    ModuleFaults faults;
    std::string stateFile;  // parameter set kept across runs (empty: none)
    int modules = 1;        // how many modules, alike but each with its own memory
};

enum class SimulationOption {
    Name,
    NoName,
    Silent,
    UnplugAfter,
    ReplyDelay,
    DoubleReplies,
    GarbageReplies,
    ShortReplies,
    KeepOldParams,
    State,
    Modules,
};

// --name TEXT, --no-name, --silent, --unplug-after N, --reply-delay MS,
// --double-replies, --garbage-replies, --short-replies N, --keep-old-params,
// --state FILE and
// --modules N, for a program's option list.
std::span<const Option<SimulationOption>> SimulationOptionTable();
// The column their help text starts at, in every program.
inline constexpr std::size_t SIMULATION_HELP_COLUMN = 24;

// Takes one parsed option of that table; false with the reason in `error`
// when its value is refused.
bool TakeSimulationOption(const Option<SimulationOption>& option, const std::string& value, SimulationOptions& options,
                          std::string& error);

// `path` with "-<number>" before its extension: cfg.txt -> cfg-3.txt,
// cfg -> cfg-3, dir.d/cfg -> dir.d/cfg-3.
std::string NumberedFileName(const std::string& path, int number);

// The state file of module `index` (0-based): the --state FILE itself for a
// single module; FILE numbered by the module's index when there are several.
std::string StateFileOf(const SimulationOptions& options, int index);

// Gives module `index` its faults and, with a state file, its kept parameters.
ConfigLoadResult PrepareSimulatedModule(const SimulationOptions& options, SimulatedModule& module, int index = 0);

}  // namespace lq3860
