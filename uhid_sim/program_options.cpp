// SPDX-License-Identifier: MIT
#include "uhid_sim/program_options.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace lq3860 {

namespace {

// How the devices present themselves; the simulated module's options follow
// them in the help, then the program's own.
constexpr Option<SimOption> DEVICE_OPTIONS[] = {
    {SimOption::Vendor,
     {.name = "--vendor", .value = OptionValue::Required, .valueName = "HEX", .help = "USB vendor id (default 7e3a)"}},
    {SimOption::Product,
     {.name = "--product",
      .value = OptionValue::Required,
      .valueName = "HEX",
      .help = "USB product id (default 3860)"}},
    {SimOption::SecondCollection,
     {.name = "--second-collection",
      .help = "add a second application collection with usage\n"
              "0x0002"}},
    {SimOption::Count,
     {.name = "--count",
      .value = OptionValue::Required,
      .valueName = "N",
      .help = "the older spelling of --modules N"}},
    {SimOption::Usb,
     {.name = "--usb",
      .help = "USB gadgets (configfs, usb_f_hid) on free USB device\n"
              "controllers, such as dummy_hcd's, instead of uhid"}},
};

constexpr Option<SimOption> PROGRAM_OPTIONS[] = {
    {SimOption::Help, {.name = "--help", .letter = 'h', .help = "show this text"}},
    {SimOption::Version, {.name = "--version", .letter = 'V', .help = "show the program's version"}},
    {SimOption::Completion,
     {.name = "--completion", .value = OptionValue::Required, .valueName = "SHELL", .hidden = true}},
};

// The column the help text starts at, the simulated module's too.
constexpr std::size_t HELP_COLUMN = SIMULATION_HELP_COLUMN;

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
               "\n") +
           OptionsHelp(SimOptionTable(), HELP_COLUMN) +
           "\n"
           "The default product name is \"" +
           VIRTUAL_MODULE_NAME +
           "\". Options take their value as\n"
           "--option VALUE or --option=VALUE.\n"
           "Needs read and write access to /dev/uhid, or with --usb to configfs (usually\n"
           "root).\n";
}

const OptionList& SimOptionTable() {
    static const OptionList table = ListOptions(DEVICE_OPTIONS, SimulationOptionTable(), PROGRAM_OPTIONS);
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
        if (const Option<SimulationOption>* simulation = RowOf(SimulationOptionTable(), item.option)) {
            if (!TakeSimulationOption(*simulation, item.value, options.module, error)) return refuse(error);
            continue;
        }
        const Option<SimOption>* own = RowOf(DEVICE_OPTIONS, item.option);
        if (own == nullptr) own = RowOf(PROGRAM_OPTIONS, item.option);
        switch (own->id) {
            case SimOption::Help: options.help = true; break;
            case SimOption::Version: options.version = true; break;
            case SimOption::SecondCollection: options.secondCollection = true; break;
            case SimOption::Usb: options.usbGadget = true; break;
            case SimOption::Vendor:
            case SimOption::Product:
                if (!ParseNumber(item.value, 16, 0xffff, number)) {
                    return refuse(std::string(item.option->name) + " needs a hexadecimal number up to ffff");
                }
                (own->id == SimOption::Vendor ? options.vendorId : options.productId) =
                    static_cast<std::uint16_t>(number);
                break;
            case SimOption::Count:
                if (!ParseNumber(item.value, 10, MAX_SIMULATED_MODULES, number) || number == 0) {
                    return refuse("--count needs a number from 1 to " + std::to_string(MAX_SIMULATED_MODULES));
                }
                options.module.modules = static_cast<int>(number);
                break;
            case SimOption::Completion:
                if (item.value != "bash" && item.value != "zsh") return refuse("--completion needs bash or zsh");
                options.completionShell = item.value;
        }
    }
    result.ok = true;
    return result;
}

}  // namespace lq3860
