// SPDX-License-Identifier: MIT
#include "uhid_sim/program_options.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace lq3860 {

namespace {

enum SimOptionId { VENDOR, PRODUCT, SECOND_COLLECTION, COUNT, USB, HELP, VERSION, COMPLETION };

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
               "  --second-collection   add a second application collection with usage\n"
               "                        0x0002\n"
               "  --count N             the older spelling of --modules N\n"
               "  --usb                 USB gadgets (configfs, usb_f_hid) on free USB device\n"
               "                        controllers, such as dummy_hcd's, instead of uhid\n") +
           SIMULATION_OPTIONS_HELP +
           "  -h, --help            show this text\n"
           "  -V, --version         show the program's version\n"
           "\n"
           "The default product name is \"" +
           VIRTUAL_MODULE_NAME +
           "\". Options take their value as\n"
           "--option VALUE or --option=VALUE.\n"
           "Needs read and write access to /dev/uhid, or with --usb to configfs (usually\n"
           "root).\n";
}

std::span<const OptionEntry> SimOptionTable() {
    static const std::vector<OptionEntry> table = [] {
        std::vector<OptionEntry> options = {
            {VENDOR, "--vendor", 0, OptionValue::Required, "HEX"},
            {PRODUCT, "--product", 0, OptionValue::Required, "HEX"},
            {SECOND_COLLECTION, "--second-collection"},
            {COUNT, "--count", 0, OptionValue::Required, "N"},
            {USB, "--usb"},
            {HELP, "--help", 'h'},
            {VERSION, "--version", 'V'},
            {COMPLETION, "--completion", 0, OptionValue::Required, "SHELL", CompleteAs::Nothing, true},
        };
        const std::span<const OptionEntry> simulation = SimulationOptionTable();
        options.insert(options.end(), simulation.begin(), simulation.end());
        return options;
    }();
    return table;
}

SimOptionsResult ParseSimOptions(const std::vector<std::string>& arguments) {
    SimOptionsResult result;
    SimOptions& options = result.options;
    const auto refuse = [&result](std::string error) {
        result.error = std::move(error);
        return result;
    };
    const ParsedArguments parsed = ParseArguments(SimOptionTable(), arguments);
    if (!parsed.ok) return refuse(parsed.error);
    for (const ParsedArgument& item : parsed.items) {
        if (item.option == nullptr) return refuse(UnexpectedArgumentError(item.value));
        long long number = 0;
        std::string error;
        if (IsSimulationOption(*item.option)) {
            if (!TakeSimulationOption(item, options.module, error)) return refuse(error);
            continue;
        }
        switch (item.option->id) {
            case HELP: options.help = true; break;
            case VERSION: options.version = true; break;
            case SECOND_COLLECTION: options.secondCollection = true; break;
            case USB: options.usbGadget = true; break;
            case VENDOR:
            case PRODUCT:
                if (!ParseNumber(item.value, 16, 0xffff, number)) {
                    return refuse(std::string(item.option->name) + " needs a hexadecimal number up to ffff");
                }
                (item.option->id == VENDOR ? options.vendorId : options.productId) = static_cast<std::uint16_t>(number);
                break;
            case COUNT:
                if (!ParseNumber(item.value, 10, MAX_SIMULATED_MODULES, number) || number == 0) {
                    return refuse("--count needs a number from 1 to " + std::to_string(MAX_SIMULATED_MODULES));
                }
                options.module.modules = static_cast<int>(number);
                break;
            default:
                if (item.value != "bash" && item.value != "zsh") return refuse("--completion needs bash or zsh");
                options.completionShell = item.value;
        }
    }
    result.ok = true;
    return result;
}

}  // namespace lq3860
