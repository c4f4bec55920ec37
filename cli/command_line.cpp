// SPDX-License-Identifier: MIT
#include "cli/command_line.h"

#include <charconv>
#include <cstddef>
#include <string_view>

namespace lq3860 {

namespace {

enum ToolOptionId {
    HELP,
    VERSION,
    VERBOSE,
    JSON,
    ALL,
    SIMULATE,
    DEVICE,
    SAVE,
    ADAPTER,
    VERIFY,
    COUNT,
    SKIP_ATTACHED,
    COMPLETION
};

constexpr OptionEntry TOOL_OPTIONS[] = {
    {SIMULATE, "--simulate", 0, OptionValue::InlineOnly, "FILE", CompleteAs::File},
    {DEVICE, "--device", 0, OptionValue::Required, "N", CompleteAs::Module},
    {ALL, "--all"},
    {JSON, "--json"},
    {SAVE, "--save", 0, OptionValue::Required, "FILE", CompleteAs::File},
    {ADAPTER, "--adapter", 0, OptionValue::Required, "NAME"},
    {VERIFY, "--verify"},
    {COUNT, "--count", 0, OptionValue::Required, "N"},
    {SKIP_ATTACHED, "--skip-attached"},
    {VERBOSE, "--verbose", 'v'},
    {HELP, "--help", 'h'},
    {VERSION, "--version", 'V'},
    {COMPLETION, "--completion", 0, OptionValue::Required, "SHELL", CompleteAs::Nothing, true},
};

struct CommandName {
    CommandEntry shown;  // its name and completion, as the shells get them
    ToolCommand command;
    std::size_t argumentCount;  // positional arguments after the command
    const char* argumentName;   // what the one argument is, for the refusal
};

constexpr CommandName COMMANDS[] = {
    {{"list", CompleteAs::Nothing}, ToolCommand::List, 0, nullptr},
    {{"info", CompleteAs::Nothing}, ToolCommand::Info, 0, nullptr},
    {{"signal", CompleteAs::Nothing}, ToolCommand::Signal, 0, nullptr},
    {{"read", CompleteAs::Nothing}, ToolCommand::Read, 0, nullptr},
    {{"write", CompleteAs::File}, ToolCommand::Write, 1, "a configuration FILE"},
    {{"station", CompleteAs::File}, ToolCommand::Station, 1, "a configuration FILE"},
    {{"getmac", CompleteAs::Nothing}, ToolCommand::GetMac, 1, "an IPV4 address"},
};

const CommandName* FindCommand(std::string_view name) {
    for (const CommandName& entry : COMMANDS) {
        if (entry.shown.name == name) return &entry;
    }
    return nullptr;
}

// Accepts plain decimal digits only: no sign, no blanks, no overflow.
bool ParseDeviceIndex(std::string_view text, int& index) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, index);
    return error == std::errc() && stop == end && index >= 0;
}

// The commands that can run on every module at once.
bool TakesAll(ToolCommand command) {
    return command == ToolCommand::Info || command == ToolCommand::Signal || command == ToolCommand::Read ||
           command == ToolCommand::Write;
}

ParseResult Refuse(std::string error) {
    ParseResult result;
    result.error = std::move(error);
    return result;
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

}  // namespace

std::span<const OptionEntry> ToolOptionTable() {
    static const std::vector<OptionEntry> table = [] {
        std::vector<OptionEntry> options(std::begin(TOOL_OPTIONS), std::end(TOOL_OPTIONS));
        const std::span<const OptionEntry> simulation = SimulationOptionTable();
        options.insert(options.end(), simulation.begin(), simulation.end());
        return options;
    }();
    return table;
}

std::vector<CommandEntry> ToolCommandTable() {
    std::vector<CommandEntry> commands;
    for (const CommandName& command : COMMANDS) commands.push_back(command.shown);
    return commands;
}

ParseResult ParseCommandLine(const std::vector<std::string>& arguments) {
    const ParsedArguments parsed = ParseArguments(ToolOptionTable(), arguments);
    if (!parsed.ok) return Refuse(parsed.error);
    CommandLine line;
    std::vector<std::string> positional;
    std::optional<std::string> saveFile;
    bool help = false;
    bool version = false;
    bool deviceGiven = false;
    std::string simulationOption;  // the last option that describes the simulated module

    for (const ParsedArgument& item : parsed.items) {
        if (item.option == nullptr) {
            positional.push_back(item.value);
            continue;
        }
        const std::string name(item.option->name);
        if (IsSimulationOption(*item.option)) {
            std::string error;
            if (!TakeSimulationOption(item, line.simulation, error)) return Refuse(error);
            simulationOption = name;
            continue;
        }
        switch (item.option->id) {
            case HELP: help = true; break;
            case VERSION: version = true; break;
            case VERBOSE: line.verbose = true; break;
            case JSON: line.json = true; break;
            case ALL: line.all = true; break;
            case VERIFY: line.verify = true; break;
            case SKIP_ATTACHED: line.skipAttached = true; break;
            case COUNT:
                if (!ParseDeviceIndex(item.value, line.stationCount) || line.stationCount == 0) {
                    return Refuse("--count needs a number of modules from 1");
                }
                break;
            case SIMULATE:
                line.simulate = true;
                // "--simulate=FILE" is the older spelling of "--simulate --state FILE".
                if (item.hasValue) {
                    if (item.value.empty()) return Refuse("--simulate= needs a FILE");
                    line.simulation.stateFile = item.value;
                }
                break;
            case DEVICE:
                deviceGiven = true;
                if (item.value.empty()) return Refuse("--device needs a slot N, a device path or a product name");
                line.deviceText.clear();
                if (!ParseDeviceIndex(item.value, line.deviceIndex)) line.deviceText = item.value;
                break;
            case SAVE:
                if (item.value.empty()) return Refuse("--save needs a FILE");
                saveFile = item.value;
                break;
            case ADAPTER:
                if (item.value.empty()) return Refuse("--adapter needs an interface NAME");
                line.adapterName = item.value;
                break;
            default:
                if (item.value != "bash" && item.value != "zsh") return Refuse("--completion needs bash or zsh");
                line.command = ToolCommand::Completion;
                line.completionShell = item.value;
                return ParseResult{true, line, {}};
        }
    }

    if (help) {
        // "COMMAND --help" is the help of that command.
        CommandLine helpLine;
        const CommandName* topic = positional.empty() ? nullptr : FindCommand(positional.front());
        if (topic != nullptr) helpLine.helpTopic = topic->command;
        return ParseResult{true, helpLine, {}};
    }
    if (version) {
        line.command = ToolCommand::Version;
        return ParseResult{true, line, {}};
    }
    if (positional.empty()) return Refuse("no COMMAND given");

    const CommandName* command = FindCommand(positional.front());
    if (command == nullptr) return Refuse("unknown command " + Quoted(positional.front()));
    line.command = command->command;
    const std::string commandName(command->shown.name);
    const std::size_t given = positional.size() - 1;
    if (given < command->argumentCount) return Refuse(commandName + " needs " + command->argumentName);
    if (given > command->argumentCount) {
        return Refuse(UnexpectedArgumentError(positional[command->argumentCount + 1]) + " for " + commandName);
    }
    if (!simulationOption.empty() && !line.simulate) return Refuse(simulationOption + " belongs to --simulate");
    if (saveFile && line.command != ToolCommand::Read) return Refuse("--save belongs to the read command");
    if (line.all && !TakesAll(line.command)) {
        return Refuse("--all belongs to the info, signal, read and write commands");
    }
    if (line.all && deviceGiven) return Refuse("--all works on every module; --device picks one");
    if (line.command == ToolCommand::Station && deviceGiven) {
        return Refuse("station works on every module plugged in; --device picks one");
    }
    if (line.adapterName && line.command != ToolCommand::GetMac) {
        return Refuse("--adapter belongs to the getmac command");
    }
    if (line.verify && line.command != ToolCommand::Write) return Refuse("--verify belongs to the write command");
    if ((line.stationCount > 0 || line.skipAttached) && line.command != ToolCommand::Station) {
        return Refuse(std::string(line.skipAttached ? "--skip-attached" : "--count") +
                      " belongs to the station command");
    }
    if (saveFile) line.saveFile = *saveFile;
    if (line.command == ToolCommand::Write || line.command == ToolCommand::Station) line.configFile = positional[1];
    if (line.command == ToolCommand::GetMac) line.ipAddress = positional[1];
    return ParseResult{true, line, {}};
}

}  // namespace lq3860
