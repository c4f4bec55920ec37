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
    EXPECT_TRUE(before.command == ToolCommand::Info && before.simulate && before.json && before.deviceIndex == 3);
    EXPECT_EQ(before.simulation.stateFile, "mem.txt");
    const CommandLine after = Parsed({"signal", "--device=2", "--simulate", "--modules=11", "--silent", "-v"});
    EXPECT_TRUE(after.deviceIndex == 2 && after.simulation.modules == 11 && after.simulation.faults.silent);
    EXPECT_TRUE(after.simulate && after.verbose && !after.json);
    EXPECT_EQ(Parsed({"write", "--", "--odd-name.txt"}).configFile, "--odd-name.txt");
    EXPECT_EQ(Parsed({"bogus", "--help", "--device", "7"}).command, ToolCommand::Help);  // wins over the rest
}

TEST(CommandLine, HelpOfOneCommandAndOfAll) {
    EXPECT_EQ(HelpText(ToolCommand::Read).rfind("Usage: lq3860ctl [OPTION]... read [--save FILE]\n", 0), 0u);
    EXPECT_EQ(HelpText(ToolCommand::Read).find("getmac"), std::string::npos);  // only the command's own help
    const std::string all = HelpText(std::nullopt);
    for (const OptionEntry* option : ToolOptionTable())
        EXPECT_EQ(all.find(std::string(option->name) + (option->value == OptionValue::Required ? " " : "")) ==
                      std::string::npos,
                  option->hidden)
            << option->name;
    for (const CommandEntry& command : ToolCommandTable())
        EXPECT_NE(all.find("  " + std::string(command.name)), std::string::npos);
}

// Each refusal exits 2 and names what is wrong; the argument's control
// characters reach the terminal escaped.
TEST(CommandLine, WrongUsageExitsWithTwoAndSaysWhy) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{}, "no COMMAND given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--silent", "list"}, "--silent belongs to --simulate"},
        {{"write"}, "write needs a configuration FILE"},
        {{"getmac"}, "getmac needs an IPV4 address"},
        {{"read", "--save="}, "--save needs a FILE"},
        {{"list", "--adapter", "eth0"}, "--adapter belongs to the getmac command"},
        {{"--device=", "list"}, "--device needs a slot N, a device path or a product name"},
        {{"--all", "list"}, "--all belongs to the info, signal, read and write commands"},
        {{"--all", "--device", "0", "info"}, "--all works on every module; --device picks one"},
        {{"--simulate", "--modules", "33", "info"}, "--modules needs a number from 1 to 32"},
        {{"--completion", "fish"}, "--completion needs bash or zsh"},
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
