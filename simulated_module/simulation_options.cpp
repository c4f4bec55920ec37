// SPDX-License-Identifier: MIT
#include "simulated_module/simulation_options.h"

#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace lq3860 {

namespace {

constexpr std::size_t MAX_NAME_LENGTH = 127;  // UTF-16 units the product string buffer takes
constexpr int MAX_UNPLUG_AFTER = 1000000;
constexpr int MAX_REPLY_DELAY_MS = 60000;
constexpr int MAX_REPLY_PAYLOAD = 63;  // a whole reply carries 64 payload bytes

bool ParseCount(std::string_view text, int minimum, int maximum, int& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= minimum && value <= maximum;
}

constexpr Option<SimulationOption> SIMULATION_OPTION_TABLE[] = {
    {SimulationOption::Name,
     {.name = "--name",
      .value = OptionValue::Required,
      .valueName = "TEXT",
      .help = "product name of the simulated module",
      .picksModules = true}},
    {SimulationOption::NoName, {.name = "--no-name", .help = "the module has no product name", .picksModules = true}},
    {SimulationOption::Silent, {.name = "--silent", .help = "the module takes every report but never answers"}},
    {SimulationOption::UnplugAfter,
     {.name = "--unplug-after",
      .value = OptionValue::Required,
      .valueName = "N",
      .help = "the module answers N output reports, then is gone"}},
    {SimulationOption::ReplyDelay,
     {.name = "--reply-delay",
      .value = OptionValue::Required,
      .valueName = "MS",
      .help = "every answer leaves the module MS milliseconds after\n"
              "its report (0 to 60000)"}},
    {SimulationOption::DoubleReplies, {.name = "--double-replies", .help = "every answer is sent twice"}},
    {SimulationOption::GarbageReplies,
     {.name = "--garbage-replies", .help = "every answer carries junk bytes instead of the reply"}},
    {SimulationOption::ShortReplies,
     {.name = "--short-replies",
      .value = OptionValue::Required,
      .valueName = "N",
      .help = "every answer carries only its first N payload bytes\n"
              "(1 to 63) instead of all 64 (lq3860-sim declares its\n"
              "input reports that short: the kernel drops shorter\n"
              "ones)"}},
    {SimulationOption::KeepOldParams,
     {.name = "--keep-old-params",
      .help = "the module acknowledges an upload and takes both\n"
              "reports, but keeps its old parameters"}},
    {SimulationOption::State,
     {.name = "--state",
      .value = OptionValue::Required,
      .valueName = "FILE",
      .complete = CompleteAs::File,
      .help = "keep the module's parameter set in FILE (a\n"
              "configuration file: read at start, a missing file\n"
              "means the module's defaults; written back when the\n"
              "module accepts an upload)",
      .picksModules = true}},
    {SimulationOption::Modules,
     {.name = "--modules",
      .value = OptionValue::Required,
      .valueName = "N",
      .help = "N modules (default 1, at most 32), alike but each with\n"
              "its own memory; with --state FILE each keeps its own\n"
              "file, numbered before the extension: cfg.txt ->\n"
              "cfg-0.txt, cfg-1.txt, ...; lq3860ctl works on the\n"
              "first 10 and says when more are attached",
      .picksModules = true}},
};

}  // namespace

std::span<const Option<SimulationOption>> SimulationOptionTable() {
    return SIMULATION_OPTION_TABLE;
}

bool TakeSimulationOption(const Option<SimulationOption>& option, const std::string& value, SimulationOptions& options,
                          std::string& error) {
    const std::string name(option.entry.name);
    const auto refuse = [&error](std::string reason) {
        error = std::move(reason);
        return false;
    };
    // A number from `minimum` to `maximum`, or the refusal that names the range.
    const auto number = [&](int minimum, int maximum, int& target) {
        if (ParseCount(value, minimum, maximum, target)) return true;
        error = name + " needs a number from " + std::to_string(minimum) + " to " + std::to_string(maximum);
        return false;
    };
    switch (option.id) {
        case SimulationOption::NoName: options.name = std::string(); break;
        case SimulationOption::Silent: options.faults.silent = true; break;
        case SimulationOption::DoubleReplies: options.faults.doubleReplies = true; break;
        case SimulationOption::GarbageReplies: options.faults.garbageReplies = true; break;
        case SimulationOption::KeepOldParams: options.faults.keepOldParams = true; break;
        case SimulationOption::Name:
            if (value.empty() || value.size() > MAX_NAME_LENGTH) return refuse("--name needs 1 to 127 characters");
            options.name = value;
            break;
        case SimulationOption::UnplugAfter: return number(0, MAX_UNPLUG_AFTER, options.faults.unplugAfterReports);
        case SimulationOption::ReplyDelay: return number(0, MAX_REPLY_DELAY_MS, options.faults.replyDelayMs);
        // The kernel drops an empty input report, so a short reply keeps one byte.
        case SimulationOption::ShortReplies: return number(1, MAX_REPLY_PAYLOAD, options.faults.replyPayloadBytes);
        case SimulationOption::State:
            if (value.empty()) return refuse("--state needs a FILE");
            options.stateFile = value;
            break;
        case SimulationOption::Modules: return number(1, MAX_SIMULATED_MODULES, options.modules);
    }
    return true;
}

std::string NumberedFileName(const std::string& path, int number) {
    const std::filesystem::path file(path);
    std::filesystem::path numbered = file.parent_path();
    numbered /= file.stem().string() + "-" + std::to_string(number) + file.extension().string();
    return numbered.string();
}

std::string StateFileOf(const SimulationOptions& options, int index) {
    if (options.stateFile.empty() || options.modules <= 1) return options.stateFile;
    return NumberedFileName(options.stateFile, index);
}

ConfigLoadResult PrepareSimulatedModule(const SimulationOptions& options, SimulatedModule& module, int index) {
    module.faults = options.faults;
    const std::string stateFile = StateFileOf(options, index);
    if (stateFile.empty()) return ConfigLoadResult{true, nullptr};
    return module.KeepParamsIn(stateFile);
}

}  // namespace lq3860
