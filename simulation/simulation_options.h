#pragma once
// The options that describe a simulated module on a command line, shared by
// lq3860ctl --simulate and lq3860-sim so both speak the same words.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "simulation/simulated_module.h"

namespace lq3860 {

struct SimulationOptions {
    std::optional<std::string> name;  // product name; nullopt: the program's default, "": none
    ModuleFaults faults;
    std::string stateFile;  // parameter set kept across runs (empty: none)
};

// The value of the option being parsed ("--x=value" or the next argument);
// nullopt when there is none.
using OptionValue = std::function<std::optional<std::string>()>;

enum class OptionMatch { NotMine, Taken, Refused };

// Takes one of --name TEXT, --no-name, --silent, --unplug-after N,
// --reply-delay MS, --double-replies, --garbage-replies, --short-replies N and
// --state FILE. Refused comes with the reason in `error`.
OptionMatch ParseSimulationOption(std::string_view option, const OptionValue& value, SimulationOptions& options,
                                  std::string& error);

// The lines of the options' help text, indented by two blanks.
extern const char* const SIMULATION_OPTIONS_HELP;

// Gives the module its faults and, with a state file, its kept parameters.
ConfigLoadResult PrepareSimulatedModule(const SimulationOptions& options, SimulatedModule& module);

}  // namespace lq3860
