#pragma once
// Command-line options of lq3860-sim, the virtual LQ-3860 on the kernel's
// HID stack.
#include <cstdint>
#include <string>

struct SimOptions {
    std::string name = "LQ-3860 (virtual)";  // product name; empty with --no-name
    std::uint16_t vendorId = 0x7e3a;
    std::uint16_t productId = 0x3860;
    bool secondCollection = false;  // a second application collection with usage 0x0002
    int count = 1;                  // modules in this process
    bool silent = false;            // takes reports, never answers
    int unplugAfter = -1;           // >= 0: answers that many output reports, then disappears
    std::string stateFile;          // parameter set kept across runs (empty: none)
    bool help = false;
};

struct SimOptionsResult {
    bool ok = false;
    SimOptions options;
    std::string error;  // why the command line was refused
};

SimOptionsResult ParseSimOptions(int argc, const char* const* argv);

// The --help text.
const char* SimUsage();
