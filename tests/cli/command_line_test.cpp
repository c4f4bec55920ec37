// SPDX-License-Identifier: MIT
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/run_tool.h"

namespace lq3860 {

namespace {

CommandLine Parsed(const std::vector<std::string>& arguments) {
    const ParseResult result = ParseCommandLine(arguments);
    EXPECT_TRUE(result.ok) << result.error;
    return result.commandLine;
}

TEST(CommandLine, OptionsStandAnywhereAndTakeTheirValueEitherWay) {
    const CommandLine before = Parsed({"--simulate=mem.txt", "--device", "3", "--json", "info"});
    EXPECT_EQ(std::tuple(before.command, before.simulate, before.simulation.stateFile, before.deviceIndex, before.json),
              std::tuple(ToolCommand::Info, true, "mem.txt", 3, true));
    const CommandLine after = Parsed({"signal", "--device=2", "--simulate"});
    EXPECT_EQ(std::tuple(after.command, after.simulate, after.simulation.stateFile, after.deviceIndex, after.json),
              std::tuple(ToolCommand::Signal, true, "", 2, false));
    // The simulated module's options share the words of the virtual modules.
    const CommandLine line =
        Parsed({"--simulate", "--state=mem.txt", "--name", "Bench", "--silent", "--unplug-after", "3", "info"});
    EXPECT_EQ(std::tuple(line.simulation.stateFile, line.simulation.name.value_or(""), line.simulation.faults.silent,
                         line.simulation.faults.unplugAfterReports),
              std::tuple("mem.txt", "Bench", true, 3));
    EXPECT_EQ(Parsed({"--simulate", "--no-name", "list"}).simulation.name, std::string());
    EXPECT_EQ(Parsed({"--simulate", "--modules=4", "--all", "info"}).simulation.modules, 4);
    // The commands' own arguments; after "--" a file.
    EXPECT_EQ(Parsed({"read", "--save", "out.txt"}).saveFile, "out.txt");
    EXPECT_EQ(Parsed({"write", "--", "--odd-name.txt"}).configFile, "--odd-name.txt");
    const CommandLine getmac = Parsed({"getmac", "192.168.255.1", "--adapter", "veth0"});
    EXPECT_EQ(std::tuple(getmac.ipAddress, getmac.adapterName.value_or("")), std::tuple("192.168.255.1", "veth0"));
    EXPECT_FALSE(Parsed({"getmac", "10.0.0.1"}).adapterName.has_value());
}

TEST(CommandLine, HelpVersionAndVerboseInShortAndLongFormAndTheHelpOfOneCommand) {
    EXPECT_EQ(Parsed({"bogus", "--help", "--device", "7"}).command, ToolCommand::Help);  // wins over everything else
    EXPECT_EQ(Parsed({"list", "--version"}).command, ToolCommand::Version);
    EXPECT_EQ(Parsed({"-V", "list"}).command, ToolCommand::Version);
    EXPECT_TRUE(Parsed({"-v", "list"}).verbose && Parsed({"info", "--verbose"}).verbose);
    const auto help = [](const std::vector<std::string>& arguments) {
        std::ostringstream out, err;
        EXPECT_EQ(RunTool(arguments, out, err), 0);
        EXPECT_EQ(err.str(), "");
        return out.str();
    };
    const std::string readHelp = help({"read", "-h"});
    EXPECT_EQ(readHelp.rfind("Usage: lq3860ctl [OPTION]... read [--save FILE]\n", 0), 0u) << readHelp;
    EXPECT_EQ(readHelp.find("getmac"), std::string::npos) << readHelp;  // only the command's own help
    EXPECT_EQ(help({"getmac", "--help"}).rfind("Usage: lq3860ctl [OPTION]... getmac IPV4 [--adapter NAME]", 0), 0u);
    // The whole help documents every command, option and exit status.
    const std::string all = help({"-h"});
    for (const char* word :
         {"list", "info", "signal", "read [--save FILE]", "write FILE", "getmac IPV4", "--adapter NAME",
          "--simulate[=FILE]", "--device N", "--all", "--modules N", "--json", "--version", "Upload Parameter NG",
          "  0  success", "  1  no module", "  2  wrong usage", "  3  refused input", "  4  MAC not found"}) {
        EXPECT_NE(all.find(word), std::string::npos) << word;
    }
}

TEST(CommandLine, WrongUsageExitsWithTwoAndSaysWhy) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
        {{}, "COMMAND"},
        {{"frobnicate"}, "'frobnicate'"},
        {{"--loud", "list"}, "'--loud'"},
        {{"-vV", "list"}, "'-vV'"},
        {{"--verbose=1", "list"}, "'--verbose=1'"},
        {{"--silent", "list"}, "--simulate"},  // a simulated module's option without one
        {{"write"}, "FILE"},
        {{"write", "a.txt", "b.txt"}, "'b.txt'"},
        {{"getmac"}, "IPV4"},
        {{"info", "extra"}, "'extra'"},
        {{"read", "--save"}, "--save"},
        {{"read", "--save="}, "--save"},
        {{"info", "--save", "x.txt"}, "read"},
        {{"list", "--adapter", "eth0"}, "getmac"},  // another command's
        {{"--simulate=", "list"}, "FILE"},
        {{"--json=1", "list"}, "'--json=1'"},
        {{"--help=all"}, "'--help=all'"},
        {{"--device", "list"}, "'list'"},
        {{"--device", "-1", "list"}, "'-1'"},
        {{"--device", "1x", "list"}, "'1x'"},
        {{"--device", " 1", "list"}, "' 1'"},
        {{"--device", "+1", "list"}, "'+1'"},
        {{"--device", "99999999999999999999", "list"}, "'99999999999999999999'"},
        {{"list", "--device"}, "N"},
        {{"--all", "list"}, "--all belongs to the info, signal, read and write commands"},
        {{"--all", "getmac", "10.0.0.1"}, "--all belongs to"},
        {{"--all", "--device", "0", "info"}, "--device"},
        {{"--all=yes", "info"}, "'--all=yes'"},
        {{"--modules", "2", "info"}, "--simulate"},
        {{"--simulate", "--modules", "0", "info"}, "--modules needs a number from 1 to 32"},
    };
    for (const auto& [arguments, named] : rows) {
        std::ostringstream out, err;
        EXPECT_EQ(RunTool(arguments, out, err), 2) << named;
        EXPECT_EQ(out.str(), "");
        EXPECT_NE(err.str().find(named), std::string::npos) << err.str();
        EXPECT_NE(err.str().find("Try 'lq3860ctl --help'."), std::string::npos) << err.str();
        std::istringstream lines(err.str());
        for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind("lq3860ctl: ", 0), 0u) << line;
    }
    // getmac checks the address and the adapter itself, before any traffic.
    for (const auto& [arguments, named] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"getmac", "192.168.255.256"}, "'192.168.255.256' is no IPv4 address (a.b.c.d)"},
             {{"getmac", "192.168.255"}, "'192.168.255' is no IPv4 address (a.b.c.d)"},
             {{"getmac", "127.0.0.1", "--adapter", "nosuch0"}, "no network adapter named 'nosuch0'"}}) {
        std::ostringstream out, err;
        const int status = RunTool(arguments, out, err);
        EXPECT_EQ(std::tuple(status, out.str(), err.str()), std::tuple(2, "", "lq3860ctl: " + named + "\n"));
    }
}

}  // namespace

}  // namespace lq3860
