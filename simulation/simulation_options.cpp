#include "simulation/simulation_options.h"

#include <charconv>
#include <filesystem>
#include <system_error>

namespace lq3860 {

namespace {

constexpr std::size_t MAX_NAME_LENGTH = 127;  // UTF-16 units the product string buffer takes
constexpr int MAX_UNPLUG_AFTER = 1000000;

bool ParseCount(std::string_view text, int maximum, int& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0 && value <= maximum;
}

}  // namespace

const char* const SIMULATION_OPTIONS_HELP =
    "  --name TEXT           product name of the simulated module\n"
    "  --no-name             the module has no product name\n"
    "  --silent              the module takes every report but never answers\n"
    "  --unplug-after N      the module answers N output reports, then is gone\n"
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
    } else if (option == "--name") {
        const std::optional<std::string> text = value();
        if (!text || text->empty() || text->size() > MAX_NAME_LENGTH) return refuse("--name needs 1 to 127 characters");
        options.name = *text;
    } else if (option == "--unplug-after") {
        const std::optional<std::string> text = value();
        int count = 0;
        if (!text || !ParseCount(*text, MAX_UNPLUG_AFTER, count)) {
            return refuse("--unplug-after needs a number from 0 to " + std::to_string(MAX_UNPLUG_AFTER));
        }
        options.faults.unplugAfterReports = count;
    } else if (option == "--state") {
        const std::optional<std::string> text = value();
        if (!text || text->empty()) return refuse("--state needs a FILE");
        options.stateFile = *text;
    } else if (option == "--modules") {
        const std::optional<std::string> text = value();
        int count = 0;
        if (!text || !ParseCount(*text, MAX_SIMULATED_MODULES, count) || count == 0) {
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
