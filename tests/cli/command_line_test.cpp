// SPDX-License-Identifier: MIT
// lq3860ctl's command line: what each option and command takes, and what is
// refused (the conventions it shares with the other two programs are
// tested in shell_conventions_test.cpp).
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/run_tool.h"
#include "cli/usage_text.h"

namespace lq3860 {

namespace {

CommandLine Parsed(const std::vector<std::string>& arguments) {
    const ParseResult result = ParseCommandLine(arguments);
    EXPECT_TRUE(result.ok) << result.error;
    return result.commandLine;
}

TEST(CommandLine, OptionsStandAnywhereAndTakeTheirValueEitherWay) {
    const CommandLine before = Parsed({"--simulate=mem.txt", "--device", "3", "--json", "info"});
    EXPECT_EQ(before.command, ToolCommand::Info);
    EXPECT_EQ(before.simulation.stateFile, "mem.txt");
    EXPECT_EQ(before.deviceIndex, 3);
    EXPECT_TRUE(before.simulate && before.json);
    const CommandLine after = Parsed({"signal", "--device=2", "--simulate", "--modules=11", "--silent"});
    EXPECT_EQ(after.deviceIndex, 2);
    EXPECT_EQ(after.simulation.modules, 11);
    EXPECT_TRUE(after.simulate && after.simulation.faults.silent && !after.json);
    // --device takes a path or a name as well; the module is found after the scan.
    EXPECT_EQ(Parsed({"--device", "/dev/hidraw3", "info"}).deviceText, "/dev/hidraw3");
    EXPECT_EQ(Parsed({"--device=LQ-3860 (v", "info"}).deviceText, "LQ-3860 (v");
    EXPECT_EQ(Parsed({"read", "--save", "out.txt"}).saveFile, "out.txt");
    EXPECT_EQ(Parsed({"write", "--", "--odd-name.txt"}).configFile, "--odd-name.txt");
    const CommandLine getmac = Parsed({"getmac", "192.168.255.1", "--adapter", "veth0"});
    EXPECT_EQ(getmac.ipAddress, "192.168.255.1");
    EXPECT_EQ(getmac.adapterName, "veth0");
    EXPECT_EQ(Parsed({"bogus", "--help", "--device", "7"}).command, ToolCommand::Help);  // wins over the rest
    EXPECT_EQ(Parsed({"info", "-vV"}).command, ToolCommand::Version);
    EXPECT_TRUE(Parsed({"-v", "list"}).verbose);
}

TEST(CommandLine, HelpOfOneCommandAndOfAll) {
    EXPECT_EQ(HelpText(ToolCommand::Read).rfind("Usage: lq3860ctl [OPTION]... read [--save FILE]\n", 0), 0u);
    EXPECT_EQ(HelpText(ToolCommand::Read).find("getmac"), std::string::npos);  // only the command's own help
    const std::string all = HelpText(std::nullopt);
    for (const OptionSpec& option : ToolOptionTable()) {
        EXPECT_EQ(all.find(std::string(option.name) + (option.value == OptionValue::Required ? " " : "")) ==
                      std::string::npos,
                  option.hidden)
            << option.name;
    }
    for (const CommandSpec& command : ToolCommandTable())
        EXPECT_NE(all.find("  " + std::string(command.name)), std::string::npos);
    for (const char* status : {"  0  success", "  1  no module", "  2  wrong usage", "  3  refused", "  4  MAC"})
        EXPECT_NE(all.find(status), std::string::npos) << status;
}

// Each refusal exits 2 and names what is wrong; the argument's control
// characters reach the terminal escaped.
TEST(CommandLine, WrongUsageExitsWithTwoAndSaysWhy) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{}, "no COMMAND given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--silent", "list"}, "--silent belongs to --simulate"},
        {{"--modules", "2", "info"}, "--modules belongs to --simulate"},
        {{"write"}, "write needs a configuration FILE"},
        {{"write", "a.txt", "b.txt"}, "unexpected argument 'b.txt' for write"},
        {{"getmac"}, "getmac needs an IPV4 address"},
        {{"info", "extra\x1b[2J"}, "unexpected argument 'extra\\x1b[2J' for info"},
        {{"read", "--save="}, "--save needs a FILE"},
        {{"info", "--save", "x.txt"}, "--save belongs to the read command"},
        {{"list", "--adapter", "eth0"}, "--adapter belongs to the getmac command"},
        {{"--simulate=", "list"}, "--simulate= needs a FILE"},
        {{"--device=", "list"}, "--device needs a slot N, a device path or a product name"},
        {{"list", "--device"}, "option '--device' needs N"},
        {{"--all", "list"}, "--all belongs to the info, signal, read and write commands"},
        {{"--all", "getmac", "10.0.0.1"}, "--all belongs to the info, signal, read and write commands"},
        {{"--all", "--device", "0", "info"}, "--all works on every module; --device picks one"},
        {{"--simulate", "--modules", "33", "info"}, "--modules needs a number from 1 to 32"},
        {{"--completion", "fish"}, "--completion needs bash or zsh"},
        {{"getmac", "192.168.255.256"}, "'192.168.255.256' is no IPv4 address (a.b.c.d)"},
        {{"getmac", "\x1b]0;title\a"}, "'\\x1b]0;title\\a' is no IPv4 address (a.b.c.d)"},
        {{"getmac", "127.0.0.1", "--adapter", "nosuch0"}, "no network adapter named 'nosuch0'"},
    };
    for (const auto& [arguments, error] : rows) {
        std::ostringstream out, err;
        EXPECT_EQ(RunTool(arguments, out, err), 2) << error;
        EXPECT_EQ(out.str(), "");
        const bool usage = arguments.size() < 2 || arguments.front() != "getmac";  // getmac checks its own values
        EXPECT_EQ(err.str(), "lq3860ctl: " + error + "\n" + (usage ? "lq3860ctl: Try 'lq3860ctl --help'.\n" : ""));
    }
}

}  // namespace

}  // namespace lq3860
