// SPDX-License-Identifier: MIT
#include "simulated_module/simulation_options.h"

#include <charconv>
#include <filesystem>
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
    "                        input reports that short: the kernel drops shorter ones)\n"
    "  --state FILE          keep the module's parameter set in FILE (a configuration\n"
    "                        file: read at start, a missing file means the module's\n"
    "                        defaults; written back when the module accepts an upload)\n"
    "  --modules N           N modules (default 1, at most 32), alike but each with its\n"
    "                        own memory; with --state FILE each keeps its own file,\n"
    "                        numbered before the extension: cfg.txt -> cfg-0.txt,\n"
    "                        cfg-1.txt, ...\n";

OptionMatch ParseSimulationOption(std::string_view option, const OptionValue& value, SimulationOptions& options,
                                  std::string& error) {
    const auto refuse = [&error](std::string reason) {
        error = std::move(reason);
        return OptionMatch::Refused;
    };
    if (option == "--no-name") {
        options.name = std::string();
    } else if (option == "--silent") {
        options.faults.silent = true;
    } else if (option == "--double-replies") {
        options.faults.doubleReplies = true;
    } else if (option == "--garbage-replies") {
        options.faults.garbageReplies = true;
    } else if (option == "--name") {
        const std::optional<std::string> text = value();
        if (!text || text->empty() || text->size() > MAX_NAME_LENGTH) return refuse("--name needs 1 to 127 characters");
        options.name = *text;
    } else if (option == "--unplug-after") {
        const std::optional<std::string> text = value();
        int count = 0;
        if (!text || !ParseCount(*text, 0, MAX_UNPLUG_AFTER, count)) {
            return refuse("--unplug-after needs a number from 0 to " + std::to_string(MAX_UNPLUG_AFTER));
        }
        options.faults.unplugAfterReports = count;
    } else if (option == "--reply-delay" || option == "--short-replies") {
        // The kernel drops an empty input report, so a short reply keeps one byte.
        const bool delay = option == "--reply-delay";
        const int minimum = delay ? 0 : 1;
        const int maximum = delay ? MAX_REPLY_DELAY_MS : MAX_REPLY_PAYLOAD;
        const std::optional<std::string> text = value();
        int number = 0;
        if (!text || !ParseCount(*text, minimum, maximum, number)) {
            return refuse(std::string(option) + " needs a number from " + std::to_string(minimum) + " to " +
                          std::to_string(maximum));
        }
        (delay ? options.faults.replyDelayMs : options.faults.replyPayloadBytes) = number;
    } else if (option == "--state") {
        const std::optional<std::string> text = value();
        if (!text || text->empty()) return refuse("--state needs a FILE");
        options.stateFile = *text;
    } else if (option == "--modules") {
        const std::optional<std::string> text = value();
        int count = 0;
        if (!text || !ParseCount(*text, 1, MAX_SIMULATED_MODULES, count)) {
            return refuse(std::string(option) + " needs a number from 1 to " + std::to_string(MAX_SIMULATED_MODULES));
        }
        options.modules = count;
    } else {
        return OptionMatch::NotMine;
    }
    return OptionMatch::Taken;
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
