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

}  // namespace

const char* const SIMULATION_OPTIONS_HELP =
    "  --name TEXT           product name of the simulated module\n"
    "  --no-name             the module has no product name\n"
    "  --silent              the module takes every report but never answers\n"
    "  --unplug-after N      the module answers N output reports, then is gone\n"
    "  --reply-delay MS      every answer leaves the module MS milliseconds after\n"
    "                        its report (0 to 60000)\n"
    "  --double-replies      every answer is sent twice\n"
    "  --garbage-replies     every answer carries junk bytes instead of the reply\n"
    "  --short-replies N     every answer carries only its first N payload bytes\n"
    "                        (1 to 63) instead of all 64 (lq3860-sim declares its\n"
    "                        input reports that short: the kernel drops shorter\n"
    "                        ones)\n"
    "  --keep-old-params     the module acknowledges an upload and takes both\n"
    "                        reports, but keeps its old parameters\n"
    "  --state FILE          keep the module's parameter set in FILE (a\n"
    "                        configuration file: read at start, a missing file\n"
    "                        means the module's defaults; written back when the\n"
    "                        module accepts an upload)\n"
    "  --modules N           N modules (default 1, at most 32), alike but each with\n"
    "                        its own memory; with --state FILE each keeps its own\n"
    "                        file, numbered before the extension: cfg.txt ->\n"
    "                        cfg-0.txt, cfg-1.txt, ...; lq3860ctl works on the\n"
    "                        first 10 and says when more are attached\n";

namespace {

enum SimulationOptionId {
    NAME = SIMULATION_OPTION_IDS,
    NO_NAME,
    SILENT,
    UNPLUG_AFTER,
    REPLY_DELAY,
    DOUBLE_REPLIES,
    GARBAGE_REPLIES,
    SHORT_REPLIES,
    KEEP_OLD_PARAMS,
    STATE,
    MODULES,
};

constexpr OptionEntry SIMULATION_OPTION_TABLE[] = {
    {NAME, "--name", 0, OptionValue::Required, "TEXT"},
    {NO_NAME, "--no-name"},
    {SILENT, "--silent"},
    {UNPLUG_AFTER, "--unplug-after", 0, OptionValue::Required, "N"},
    {REPLY_DELAY, "--reply-delay", 0, OptionValue::Required, "MS"},
    {DOUBLE_REPLIES, "--double-replies"},
    {GARBAGE_REPLIES, "--garbage-replies"},
    {SHORT_REPLIES, "--short-replies", 0, OptionValue::Required, "N"},
    {KEEP_OLD_PARAMS, "--keep-old-params"},
    {STATE, "--state", 0, OptionValue::Required, "FILE", CompleteAs::File},
    {MODULES, "--modules", 0, OptionValue::Required, "N"},
};

}  // namespace

std::span<const OptionEntry> SimulationOptionTable() {
    return SIMULATION_OPTION_TABLE;
}

bool TakeSimulationOption(const ParsedArgument& item, SimulationOptions& options, std::string& error) {
    const std::string name(item.option->name);
    const auto refuse = [&error](std::string reason) {
        error = std::move(reason);
        return false;
    };
    // A number from `minimum` to `maximum`, or the refusal that names the range.
    const auto number = [&](int minimum, int maximum, int& value) {
        if (ParseCount(item.value, minimum, maximum, value)) return true;
        error = name + " needs a number from " + std::to_string(minimum) + " to " + std::to_string(maximum);
        return false;
    };
    switch (item.option->id) {
        case NO_NAME: options.name = std::string(); return true;
        case SILENT: options.faults.silent = true; return true;
        case DOUBLE_REPLIES: options.faults.doubleReplies = true; return true;
        case GARBAGE_REPLIES: options.faults.garbageReplies = true; return true;
        case KEEP_OLD_PARAMS: options.faults.keepOldParams = true; return true;
        case NAME:
            if (item.value.empty() || item.value.size() > MAX_NAME_LENGTH) {
                return refuse("--name needs 1 to 127 characters");
            }
            options.name = item.value;
            return true;
        case UNPLUG_AFTER: return number(0, MAX_UNPLUG_AFTER, options.faults.unplugAfterReports);
        case REPLY_DELAY: return number(0, MAX_REPLY_DELAY_MS, options.faults.replyDelayMs);
        // The kernel drops an empty input report, so a short reply keeps one byte.
        case SHORT_REPLIES: return number(1, MAX_REPLY_PAYLOAD, options.faults.replyPayloadBytes);
        case STATE:
            if (item.value.empty()) return refuse("--state needs a FILE");
            options.stateFile = item.value;
            return true;
        default: return number(1, MAX_SIMULATED_MODULES, options.modules);
    }
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
