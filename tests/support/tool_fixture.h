// SPDX-License-Identifier: MIT
#pragma once
// lq3860ctl's commands in-process: on the modules a test adds to its
// simulated platform, or, when the arguments start with --simulate, on the
// tool's own simulated modules. Pauses return at once.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run_tool.h"
#include "simulated_module/simulated_platform.h"
#include "tool_process.h"

namespace lq3860 {

// A message line as the tool writes it to stderr.
inline std::string Said(const std::string& message) {
    return "lq3860ctl: " + message + "\n";
}

// A configuration file as the tool saves and prints it.
inline std::string ConfigText(const std::string& g1, const std::string& ssid, const std::string& key,
                              const std::string& mac = "00,00,00,00,00,01,") {
    return "[G1]\r\n" + g1 + "\r\n[G2]\r\n" + ssid + ",\r\n[G3]\r\n" + key + ",\r\n[G4]\r\n" + mac + "\r\n[END]\r\n";
}
// What a fresh simulated module holds: AP, channel 6, WPA2-PSK(AES), "LQ-3860", its default key.
inline const std::string FRESH_MODULE = ConfigText("00,06,04,", "LQ-3860", "lq3860-default", "00,0C,29,38,60,01,");

// The start of a command's JSON object on the first simulated module: its names.
inline const std::string FIRST_MODULE_JSON = R"j({"slot":0,"name":"LQ-3860 (simulated)","path":"sim:0",)j";

class ToolTest : public ::testing::Test {
protected:
    ToolTest() { platform_.readWait.Replace(pause_); }

    ToolRun Run(const std::vector<std::string>& arguments) {
        const bool ownModules = !arguments.empty() && arguments.front().rfind("--simulate", 0) == 0;
        std::ostringstream out, err;
        const int status = RunTool(arguments, out, err, {ownModules ? nullptr : &platform_, pause_, terminal_});
        return {status, out.str(), err.str()};
    }
    // On the tool's own simulated module, which keeps its parameters in memory_.
    ToolRun Sim(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "--simulate=" + memory_);
        return Run(arguments);
    }
    // A file of the test's folder holding `text`.
    std::string File(const std::string& name, const std::string& text) {
        WriteWholeFile(dir_.File(name), text);
        return dir_.File(name);
    }

    bool terminal_ = false;  // the tool's stdout is a terminal
    PauseFunction pause_ = [](unsigned) {};
    SimulatedPlatform platform_;
    TempDir dir_;
    const std::string memory_ = dir_.File("module.txt");
};

}  // namespace lq3860
