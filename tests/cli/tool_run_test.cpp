// The built tool as a process: --help and --version.
#include <gtest/gtest.h>

#include "tool_process.h"

namespace {

TEST(ToolProcess, HelpDocumentsEveryCommandOptionAndExitStatus) {
    const ToolRun run = RunLq3860ctl({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const char* word : {"list", "info", "signal", "read [--save FILE]", "write FILE", "getmac IPV4",
                             "--adapter NAME", "--simulate[=FILE]", "--device N", "--json", "--version",
                             "Upload Parameter NG", "  0  success", "  1  no module", "  2  wrong usage",
                             "  3  refused input", "  4  MAC not found"}) {
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    }
    const ToolRun version = RunLq3860ctl({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("lq3860ctl ") + LQ3860_VERSION + "\n");
}

}  // namespace
