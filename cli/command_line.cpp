// SPDX-License-Identifier: MIT
#include "cli/command_line.h"

#include <charconv>
#include <cstddef>
#include <string_view>

namespace lq3860 {

namespace {

struct CommandName {
    std::string_view name;
    ToolCommand command;
    std::size_t argumentCount;  // positional arguments after the command
    const char* argumentName;   // what the one argument is, for the refusal
};

constexpr CommandName COMMANDS[] = {
    {"list", ToolCommand::List, 0, nullptr},
    {"info", ToolCommand::Info, 0, nullptr},
    {"signal", ToolCommand::Signal, 0, nullptr},
    {"read", ToolCommand::Read, 0, nullptr},
    {"write", ToolCommand::Write, 1, "a configuration FILE"},
    {"getmac", ToolCommand::GetMac, 1, "an IPV4 address"},
};

const CommandName* FindCommand(std::string_view name) {
    for (const CommandName& entry : COMMANDS) {
        if (entry.name == name) return &entry;
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

// Splits "--name=value"; value is nullopt when there is no '='.
std::pair<std::string_view, std::optional<std::string_view>> SplitOption(std::string_view argument) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string_view::npos) return {argument, std::nullopt};
    return {argument.substr(0, equals), argument.substr(equals + 1)};
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::vector<std::string> positional;
    std::optional<std::string> saveFile;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    bool deviceGiven = false;
    std::string error;
    std::string simulationOption;  // the last option that describes the simulated module

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const auto [name, inlineValue] = SplitOption(argument);
        // The value of an option that takes one: inline after '=' or the next argument.
        const OptionValue optionValue = [&, inlineValue = inlineValue]() -> std::optional<std::string> {
            if (inlineValue) return std::string(*inlineValue);
            if (i + 1 < arguments.size()) return arguments[++i];
            return std::nullopt;
        };
        auto takeValue = [&optionValue](std::string& value) {
            value = optionValue().value_or(std::string());
            return !value.empty();
        };
        if ((name == "--help" || name == "-h") && !inlineValue) {
            help = true;
        } else if ((name == "--version" || name == "-V") && !inlineValue) {
            version = true;
        } else if ((name == "--verbose" || name == "-v") && !inlineValue) {
            line.verbose = true;
        } else if (name == "--json" && !inlineValue) {
            line.json = true;
        } else if (name == "--all" && !inlineValue) {
            line.all = true;
        } else if (name == "--simulate") {
            line.simulate = true;
            // "--simulate=FILE" is the older spelling of "--simulate --state FILE".
            if (inlineValue) {
                if (inlineValue->empty()) return Refuse("--simulate= needs a FILE");
                line.simulation.stateFile = std::string(*inlineValue);
            }
        } else if (const OptionMatch match = ParseSimulationOption(name, optionValue, line.simulation, error);
                   match != OptionMatch::NotMine) {
            if (match == OptionMatch::Refused) return Refuse(error);
            simulationOption = argument;
        } else if (name == "--device") {
            deviceGiven = true;
            std::string value;
            if (!takeValue(value)) return Refuse("--device needs a slot number N");
            if (!ParseDeviceIndex(value, line.deviceIndex)) {
                return Refuse("--device needs a slot number N (0, 1, 2, ...), not '" + value + "'");
            }
        } else if (name == "--save") {
            std::string value;
            if (!takeValue(value)) return Refuse("--save needs a FILE");
            saveFile = value;
        } else if (name == "--adapter") {
            std::string value;
            if (!takeValue(value)) return Refuse("--adapter needs an interface NAME");
            line.adapterName = value;
        } else {
            return Refuse("unknown option '" + argument + "'");
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
    if (command == nullptr) return Refuse("unknown command '" + positional.front() + "'");
    line.command = command->command;
    const std::size_t given = positional.size() - 1;
    if (given < command->argumentCount) {
        return Refuse(std::string(command->name) + " needs " + command->argumentName);
    }
    if (given > command->argumentCount) {
        return Refuse("unexpected argument '" + positional[command->argumentCount + 1] + "' for " +
                      std::string(command->name));
    }
    if (!simulationOption.empty() && !line.simulate) return Refuse(simulationOption + " belongs to --simulate");
    if (saveFile && line.command != ToolCommand::Read) return Refuse("--save belongs to the read command");
    if (line.all && !TakesAll(line.command)) {
        return Refuse("--all belongs to the info, signal, read and write commands");
    }
    if (line.all && deviceGiven) return Refuse("--all works on every module; --device picks one");
    if (line.adapterName && line.command != ToolCommand::GetMac) {
        return Refuse("--adapter belongs to the getmac command");
    }
    if (saveFile) line.saveFile = *saveFile;
    if (line.command == ToolCommand::Write) line.configFile = positional[1];
    if (line.command == ToolCommand::GetMac) line.ipAddress = positional[1];
    return ParseResult{true, line, {}};
}

}  // namespace lq3860
