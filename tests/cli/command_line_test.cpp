#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace {

ParseResult Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

TEST(CommandLine, GlobalOptionsBeforeAndAfterTheCommand) {
    const ParseResult before = Parse({"--simulate=mem.txt", "--device", "3", "--json", "info"});
    ASSERT_TRUE(before.ok) << before.error;
    EXPECT_EQ(before.commandLine.command, ToolCommand::Info);
    EXPECT_TRUE(before.commandLine.simulate);
    EXPECT_EQ(before.commandLine.simulateFile, "mem.txt");
    EXPECT_EQ(before.commandLine.deviceIndex, 3);
    EXPECT_TRUE(before.commandLine.json);

    const ParseResult after = Parse({"signal", "--device=2", "--simulate"});
    ASSERT_TRUE(after.ok) << after.error;
    EXPECT_EQ(after.commandLine.command, ToolCommand::Signal);
    EXPECT_EQ(after.commandLine.deviceIndex, 2);
    EXPECT_TRUE(after.commandLine.simulate);
    EXPECT_TRUE(after.commandLine.simulateFile.empty());
    EXPECT_FALSE(after.commandLine.json);
}

TEST(CommandLine, CommandArguments) {
    const ParseResult read = Parse({"read", "--save", "out.txt"});
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.commandLine.saveFile, "out.txt");

    const ParseResult write = Parse({"write", "in.txt"});
    ASSERT_TRUE(write.ok) << write.error;
    EXPECT_EQ(write.commandLine.configFile, "in.txt");

    const ParseResult getmac = Parse({"getmac", "192.168.255.1", "--adapter", "veth0"});
    ASSERT_TRUE(getmac.ok) << getmac.error;
    EXPECT_EQ(getmac.commandLine.ipAddress, "192.168.255.1");
    ASSERT_TRUE(getmac.commandLine.adapterName.has_value());
    EXPECT_EQ(*getmac.commandLine.adapterName, "veth0");
    EXPECT_FALSE(Parse({"getmac", "10.0.0.1"}).commandLine.adapterName.has_value());

    // After "--" a name that looks like an option is a file.
    const ParseResult dashed = Parse({"write", "--", "--odd-name.txt"});
    ASSERT_TRUE(dashed.ok) << dashed.error;
    EXPECT_EQ(dashed.commandLine.configFile, "--odd-name.txt");
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(Parse({"--help"}).commandLine.command, ToolCommand::Help);
    const ParseResult helpAmongErrors = Parse({"bogus", "--help", "--device", "7"});
    ASSERT_TRUE(helpAmongErrors.ok);
    EXPECT_EQ(helpAmongErrors.commandLine.command, ToolCommand::Help);
    EXPECT_EQ(Parse({"--version"}).commandLine.command, ToolCommand::Version);
    EXPECT_EQ(Parse({"list", "--version"}).commandLine.command, ToolCommand::Version);
}

TEST(CommandLine, RefusesWrongUsage) {
    const std::vector<std::vector<std::string>> wrong = {
        {},                                     // no command
        {"frobnicate"},                         // unknown command
        {"--verbose", "list"},                  // unknown option
        {"write"},                              // missing FILE
        {"write", "a.txt", "b.txt"},            // one FILE too many
        {"getmac"},                             // missing IPV4
        {"info", "extra"},                      // info takes nothing
        {"read", "--save"},                     // --save without FILE
        {"read", "--save="},                    // empty FILE
        {"info", "--save", "x.txt"},            // --save belongs to read
        {"list", "--adapter", "eth0"},          // --adapter belongs to getmac
        {"--simulate=", "list"},                // empty memory file
        {"--json=1", "list"},                   // --json takes no value
        {"--help=all"},                         // nor does --help
        {"--device", "list"},                   // N missing: "list" is no number
        {"--device", "-1", "list"},
        {"--device", "1x", "list"},
        {"--device", " 1", "list"},
        {"--device", "+1", "list"},
        {"--device", "99999999999999999999", "list"},
        {"list", "--device"},                   // N missing at the end
    };
    for (const auto& arguments : wrong) {
        const ParseResult result = Parse(arguments);
        std::string joined;
        for (const auto& argument : arguments) joined += "[" + argument + "]";
        EXPECT_FALSE(result.ok) << joined;
        EXPECT_FALSE(result.error.empty()) << joined;
    }
}

}  // namespace
