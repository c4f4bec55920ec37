// The tool as a process: argument handling, --help, --version, exit status.
#include <gtest/gtest.h>

#include "tool_process.h"

namespace {

void ExpectUsageError(const std::vector<std::string>& arguments, const std::string& named) {
    const ToolRun run = RunLq3860ctl(arguments);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
}

TEST(ToolUsage, WrongUsageExitsWithTwoAndSaysWhy) {
    ExpectUsageError({}, "COMMAND");
    ExpectUsageError({"frobnicate"}, "frobnicate");
    ExpectUsageError({"--simulate", "write"}, "FILE");
    ExpectUsageError({"--simulate", "--device", "first", "info"}, "first");
    ExpectUsageError({"--simulate", "getmac"}, "IPV4");
    ExpectUsageError({"--simulate", "info", "--save", "x.txt"}, "--save");
}

TEST(ToolUsage, HelpDocumentsEveryCommandOptionAndExitStatus) {
    const ToolRun run = RunLq3860ctl({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.err.empty()) << run.err;
    for (const char* word : {"list", "info", "signal", "read [--save FILE]", "write FILE", "getmac IPV4",
                             "--adapter NAME", "--simulate[=FILE]", "--device N", "--json", "--version",
                             "Upload Parameter NG", "  0  success", "  1  no module", "  2  wrong usage",
                             "  3  refused input", "  4  MAC not found"}) {
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    }
}

TEST(ToolUsage, VersionPrintsTheProgramVersion) {
    const ToolRun run = RunLq3860ctl({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("lq3860ctl ") + LQ3860_VERSION + "\n");
}

TEST(ToolUsage, MissingModuleSlotIsAModuleFailure) {
    const ToolRun run = RunLq3860ctl({"--simulate", "--device", "1", "info"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("slot 1"), std::string::npos) << run.err;
}

}  // namespace
