#include "sim/sim_options.h"

#include <charconv>
#include <string_view>
#include <system_error>

namespace {

constexpr int MAX_MODULES = 32;

bool ParseNumber(std::string_view text, int base, long long maximum, long long& value) {
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) {
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size() && value >= 0 && value <= maximum;
}

}  // namespace

const char* SimUsage() {
    return "Usage: lq3860-sim [OPTION]...\n"
           "Creates virtual LQ-3860 modules on the kernel's HID stack through /dev/uhid\n"
           "and answers the utility like a real module until interrupted.\n"
           "\n"
           "  --name TEXT           product name (default \"LQ-3860 (virtual)\")\n"
           "  --no-name             no product name\n"
           "  --vendor HEX          USB vendor id (default 7e3a)\n"
           "  --product HEX         USB product id (default 3860)\n"
           "  --second-collection   add a second application collection with usage 0x0002\n"
           "  --count N             create N modules (default 1, at most 32)\n"
           "  --silent              take every report but never answer\n"
           "  --unplug-after N      answer N output reports, then unplug\n"
           "  --state FILE          keep the parameter set in FILE across runs\n"
           "  --help                show this text\n"
           "\n"
           "Needs read and write access to /dev/uhid (usually root).\n";
}

SimOptionsResult ParseSimOptions(int argc, const char* const* argv) {
    SimOptionsResult result;
    SimOptions& options = result.options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        const bool hasValue = i + 1 < argc;
        const auto needsValue = [&]() {
            result.error = "option " + std::string(option) + " needs a value";
            return result;
        };
        long long number = 0;
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--no-name") {
            options.name.clear();
        } else if (option == "--second-collection") {
            options.secondCollection = true;
        } else if (option == "--silent") {
            options.silent = true;
        } else if (option == "--name") {
            if (!hasValue) return needsValue();
            options.name = argv[++i];
            if (options.name.empty() || options.name.size() > 127) {
                result.error = "--name needs 1 to 127 characters";
                return result;
            }
        } else if (option == "--state") {
            if (!hasValue) return needsValue();
            options.stateFile = argv[++i];
        } else if (option == "--vendor" || option == "--product") {
            if (!hasValue) return needsValue();
            if (!ParseNumber(argv[++i], 16, 0xffff, number)) {
                result.error = std::string(option) + " needs a hexadecimal number up to ffff";
                return result;
            }
            (option == "--vendor" ? options.vendorId : options.productId) = static_cast<std::uint16_t>(number);
        } else if (option == "--count") {
            if (!hasValue) return needsValue();
            if (!ParseNumber(argv[++i], 10, MAX_MODULES, number) || number == 0) {
                result.error = "--count needs a number from 1 to " + std::to_string(MAX_MODULES);
                return result;
            }
            options.count = static_cast<int>(number);
        } else if (option == "--unplug-after") {
            if (!hasValue) return needsValue();
            if (!ParseNumber(argv[++i], 10, 1000000, number)) {
                result.error = "--unplug-after needs a number from 0 to 1000000";
                return result;
            }
            options.unplugAfter = static_cast<int>(number);
        } else {
            result.error = "unknown option " + std::string(option);
            return result;
        }
    }
    result.ok = true;
    return result;
}
