// SPDX-License-Identifier: MIT
#include "cli/command_line.h"

#include <charconv>
#include <cstddef>
#include <string_view>

namespace lq3860 {

namespace {

constexpr Option<ToolOption> TOOL_OPTIONS[] = {
    {ToolOption::Simulate,
     {.name = "--simulate",
      .value = OptionValue::InlineOnly,
      .valueName = "FILE",
      .complete = CompleteAs::File,
      .help = "use simulated modules instead of hardware (one, or as\n"
              "many as --modules says); FILE is the older spelling of\n"
              "--state FILE",
      .picksModules = true}},
    {ToolOption::Device,
     {.name = "--device",
      .value = OptionValue::Required,
      .valueName = "N",
      .complete = CompleteAs::Module,
      .help = "the module in slot N of the list (0-based, default 0), or\n"
              "the one with that device path or product name (or the\n"
              "start of one name)"}},
    {ToolOption::All,
     {.name = "--all",
      .help = "info, signal, read or write on every listed module at\n"
              "once, each on its own link; every result line and\n"
              "message starts with the slot, a tab, the name and a tab;\n"
              "with --json one array of objects (slot, name, path,\n"
              "status and the command's fields, or error and message);\n"
              "read --save FILE writes one file per module, the slot\n"
              "before the extension (FILE.txt -> FILE-0.txt, ...); the\n"
              "exit status is the failed modules' when they agree, else\n"
              "1, and 1 when more modules are attached than the 10 it\n"
              "works on"}},
    {ToolOption::Json,
     {.name = "--json",
      .help = "print one JSON object per command instead of text lines\n"
              "(nothing on stdout when the command fails)"}},
    // --save and --adapter: the help of their commands describes them.
    {ToolOption::Save,
     {.name = "--save", .value = OptionValue::Required, .valueName = "FILE", .complete = CompleteAs::File}},
    {ToolOption::Strict,
     {.name = "--strict",
      .help = "write: refuse a file whose values the field rules would\n"
              "change (exit status 9), instead of saying what changes"}},
    {ToolOption::Verify, {.name = "--verify", .help = "write: read the parameters back and compare them"}},
    {ToolOption::Count,
     {.name = "--count", .value = OptionValue::Required, .valueName = "N", .help = "station: stop after N modules"}},
    {ToolOption::SkipAttached,
     {.name = "--skip-attached",
      .help = "station: leave the modules attached at start alone\n"
              "until they are plugged in again"}},
    {ToolOption::Adapter,
     {.name = "--adapter", .value = OptionValue::Required, .valueName = "NAME", .complete = CompleteAs::Adapter}},
    {ToolOption::Verbose,
     {.name = "--verbose",
      .letter = 'v',
      .help = "the link's debug texts (\"HID_Open\", \"OK\", \"NG\", ...) to\n"
              "stderr as they happen"}},
    {ToolOption::Help,
     {.name = "--help", .letter = 'h', .help = "this text; COMMAND --help: the help of that command"}},
    {ToolOption::Version, {.name = "--version", .letter = 'V', .help = "the program's version"}},
    {ToolOption::Completion,
     {.name = "--completion", .value = OptionValue::Required, .valueName = "SHELL", .hidden = true}},
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

std::span<const Option<ToolOption>> ToolOptions() {
    return TOOL_OPTIONS;
}

const OptionList& ToolOptionTable() {
    static const OptionList table = ListOptions(TOOL_OPTIONS, SimulationOptionTable());
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
        if (const Option<SimulationOption>* simulation = RowOf(SimulationOptionTable(), item.option)) {
            std::string error;
            if (!TakeSimulationOption(*simulation, item.value, line.simulation, error)) return Refuse(error);
            simulationOption = item.option->name;
            continue;
        }
        switch (RowOf(TOOL_OPTIONS, item.option)->id) {
            case ToolOption::Help: help = true; break;
            case ToolOption::Version: version = true; break;
            case ToolOption::Verbose: line.verbose = true; break;
            case ToolOption::Json: line.json = true; break;
            case ToolOption::All: line.all = true; break;
            case ToolOption::Verify: line.verify = true; break;
            case ToolOption::SkipAttached: line.skipAttached = true; break;
            case ToolOption::Count:
                if (!ParseDeviceIndex(item.value, line.stationCount) || line.stationCount == 0) {
                    return Refuse("--count needs a number of modules from 1");
                }
                break;
            case ToolOption::Simulate:
                line.simulate = true;
                // "--simulate=FILE" is the older spelling of "--simulate --state FILE".
                if (item.hasValue) {
                    if (item.value.empty()) return Refuse("--simulate= needs a FILE");
                    line.simulation.stateFile = item.value;
                }
                break;
            case ToolOption::Device:
                deviceGiven = true;
                if (item.value.empty()) return Refuse("--device needs a slot N, a device path or a product name");
                line.deviceText.clear();
                if (!ParseDeviceIndex(item.value, line.deviceIndex)) line.deviceText = item.value;
                break;
            case ToolOption::Save:
                if (item.value.empty()) return Refuse("--save needs a FILE");
                saveFile = item.value;
                break;
            case ToolOption::Strict: line.strict = true; break;
            case ToolOption::Adapter:
                if (item.value.empty()) return Refuse("--adapter needs an interface NAME");
                line.adapterName = item.value;
                break;
            case ToolOption::Completion:
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
    if (line.strict && line.command != ToolCommand::Write) return Refuse("--strict belongs to the write command");
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
