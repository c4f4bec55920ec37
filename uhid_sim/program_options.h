// SPDX-License-Identifier: MIT
#pragma once
// Command-line options of lq3860-sim, the virtual LQ-3860 on the kernel's
// HID stack: how each device presents itself, and the simulated module's own
// options, which lq3860ctl --simulate shares.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/hid_device_table.h"
#include "simulated_module/simulation_options.h"

namespace lq3860 {

inline constexpr const char* VIRTUAL_MODULE_NAME = "LQ-3860 (virtual)";

enum class SimOption { Vendor, Product, SecondCollection, Count, Usb, Help, Version, Completion };

struct SimOptions {
    SimulationOptions module;  // name, faults, state file and number of the modules
    std::uint16_t vendorId = LQ3860_VENDOR_ID;
    std::uint16_t productId = 0x3860;
    bool secondCollection = false;  // a second application collection with usage 0x0002
    bool usbGadget = false;         // --usb: USB gadgets instead of uhid devices
    bool help = false;
    bool version = false;
    std::string completionShell;  // --completion SHELL: print that shell's completion

    // The product name the devices carry; empty for none.
    std::string ProductName() const { return module.name.value_or(VIRTUAL_MODULE_NAME); }
    // The payload bytes of an input report, as the report descriptor
    // declares them: 64, or fewer for a module with short replies.
    std::uint8_t InputReportBytes() const {
        const int cut = module.faults.replyPayloadBytes;
        return static_cast<std::uint8_t>(cut > 0 && cut < 64 ? cut : 64);
    }
};

struct SimOptionsResult {
    bool ok = false;
    SimOptions options;
    std::string error;  // why the command line was refused
};

// `arguments` without the program's name.
SimOptionsResult ParseSimOptions(const std::vector<std::string>& arguments);
// The options that parser reads, for the help text and the shells' completion.
const OptionList& SimOptionTable();

// The --help text.
std::string SimUsage();

}  // namespace lq3860
