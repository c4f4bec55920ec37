// SPDX-License-Identifier: MIT
#include "uhid_sim/program_options.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace lq3860 {

namespace {

bool ParseNumber(std::string_view text, int base, long long maximum, long long& value) {
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) text.remove_prefix(2);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size() && value >= 0 && value <= maximum;
}

}  // namespace

std::string SimUsage() {
    return std::string(
               "Usage: lq3860-sim [OPTION]...\n"
               "Creates virtual LQ-3860 modules on the kernel's HID stack through /dev/uhid\n"
               "and answers the utility like a real module until interrupted.\n"
               "\n"
               "  --vendor HEX          USB vendor id (default 7e3a)\n"
               "  --product HEX         USB product id (default 3860)\n"
               "  --second-collection   add a second application collection with usage 0x0002\n"
               "  --count N             the older spelling of --modules N\n") +
           SIMULATION_OPTIONS_HELP +
           "  -h, --help            show this text\n"
           "  -V, --version         show the program's version\n"
           "\n"
           "The default product name is \"" +
           VIRTUAL_MODULE_NAME +
           "\". Options take their value as\n"
           "--option VALUE or --option=VALUE.\n"
           "Needs read and write access to /dev/uhid (usually root).\n";
}

SimOptionsResult ParseSimOptions(int argc, const char* const* argv) {
    SimOptionsResult result;
    SimOptions& options = result.options;
    const auto refuse = [&result](std::string error) {
        result.error = std::move(error);
        return result;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const std::size_t equals = argument.find('=');
        const std::string_view option = argument.substr(0, equals);
        const std::optional<std::string> inlineValue =
            equals == std::string_view::npos ? std::nullopt : std::optional<std::string>(argument.substr(equals + 1));
        const OptionValue value = [&]() -> std::optional<std::string> {
            if (inlineValue) return inlineValue;
            if (i + 1 < argc) return std::string(argv[++i]);
            return std::nullopt;
        };
        long long number = 0;
        std::string error;
        if (const OptionMatch match = ParseSimulationOption(option, value, options.module, error);
            match != OptionMatch::NotMine) {
            if (match == OptionMatch::Refused) return refuse(error);
        } else if (inlineValue && (option == "--help" || option == "-h" || option == "--version" || option == "-V" ||
                                   option == "--second-collection")) {
            return refuse("option " + std::string(option) + " takes no value");
        } else if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--version" || option == "-V") {
            options.version = true;
        } else if (option == "--second-collection") {
            options.secondCollection = true;
        } else if (option == "--vendor" || option == "--product") {
            const std::optional<std::string> text = value();
            if (!text || !ParseNumber(*text, 16, 0xffff, number)) {
                return refuse(std::string(option) + " needs a hexadecimal number up to ffff");
            }
            (option == "--vendor" ? options.vendorId : options.productId) = static_cast<std::uint16_t>(number);
        } else if (option == "--count") {
            const std::optional<std::string> text = value();
            if (!text || !ParseNumber(*text, 10, MAX_SIMULATED_MODULES, number) || number == 0) {
                return refuse("--count needs a number from 1 to " + std::to_string(MAX_SIMULATED_MODULES));
            }
            options.module.modules = static_cast<int>(number);
        } else {
            return refuse("unknown option " + std::string(option));
        }
    }
    result.ok = true;
    return result;
}

}  // namespace lq3860
