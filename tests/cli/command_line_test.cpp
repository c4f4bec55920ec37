#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace {

CommandLine Parsed(const std::vector<std::string>& arguments) {
    const ParseResult result = ParseCommandLine(arguments);
    EXPECT_TRUE(result.ok) << result.error;
    return result.commandLine;
}

TEST(CommandLine, ToolOptionsStandBeforeOrAfterTheCommand) {
    const CommandLine before = Parsed({"--simulate=mem.txt", "--device", "3", "--json", "info"});
    EXPECT_EQ(std::tuple(before.command, before.simulate, before.simulateFile, before.deviceIndex, before.json),
              std::tuple(ToolCommand::Info, true, "mem.txt", 3, true));
    const CommandLine after = Parsed({"signal", "--device=2", "--simulate"});
    EXPECT_EQ(std::tuple(after.command, after.simulate, after.simulateFile, after.deviceIndex, after.json),
              std::tuple(ToolCommand::Signal, true, "", 2, false));
}

TEST(CommandLine, CommandArguments) {
    EXPECT_EQ(Parsed({"read", "--save", "out.txt"}).saveFile, "out.txt");
    EXPECT_EQ(Parsed({"write", "in.txt"}).configFile, "in.txt");
    EXPECT_EQ(Parsed({"write", "--", "--odd-name.txt"}).configFile, "--odd-name.txt");  // after "--" a file
    const CommandLine getmac = Parsed({"getmac", "192.168.255.1", "--adapter", "veth0"});
    EXPECT_EQ(getmac.ipAddress, "192.168.255.1");
    EXPECT_EQ(getmac.adapterName.value_or("<none>"), "veth0");
    EXPECT_FALSE(Parsed({"getmac", "10.0.0.1"}).adapterName.has_value());
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(Parsed({"--help"}).command, ToolCommand::Help);
    EXPECT_EQ(Parsed({"bogus", "--help", "--device", "7"}).command, ToolCommand::Help);
    EXPECT_EQ(Parsed({"--version"}).command, ToolCommand::Version);
    EXPECT_EQ(Parsed({"list", "--version"}).command, ToolCommand::Version);
}

TEST(CommandLine, RefusesWrongUsage) {
    const std::vector<std::vector<std::string>> wrong = {
        {}, {"frobnicate"}, {"--verbose", "list"},            // no/unknown command, unknown option
        {"write"}, {"write", "a.txt", "b.txt"}, {"getmac"},  // FILE or IPV4 missing, one FILE too many
        {"info", "extra"}, {"read", "--save"}, {"read", "--save="},
        {"info", "--save", "x.txt"}, {"list", "--adapter", "eth0"},  // options of another command
        {"--simulate=", "list"}, {"--json=1", "list"}, {"--help=all"},
        {"--device", "list"}, {"--device", "-1", "list"}, {"--device", "1x", "list"}, {"--device", " 1", "list"},
        {"--device", "+1", "list"}, {"--device", "99999999999999999999", "list"}, {"list", "--device"},
    };
    for (const auto& arguments : wrong) {
        std::string joined;
        for (const auto& argument : arguments) joined += "[" + argument + "]";
        const ParseResult result = ParseCommandLine(arguments);
        EXPECT_FALSE(result.ok) << joined;
        EXPECT_FALSE(result.error.empty()) << joined;
    }
}

}  // namespace
