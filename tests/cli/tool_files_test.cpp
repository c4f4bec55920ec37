// SPDX-License-Identifier: MIT
// Saving into what is no regular file: a FIFO with a reader and /dev/stdout
// take the saved lines.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tool_fixture.h"

namespace lq3860 {

namespace {

using ToolFiles = ToolTest;

// A FIFO with a reader gets the nine lines and stays a FIFO.
TEST_F(ToolFiles, SaveIntoAFifoWithAReader) {
    const std::string fifo = dir_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(Run({"--simulate", "read", "--save", fifo}), (ToolRun{0, "", ""}));
    char buffer[256];
    const ssize_t got = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0u), FRESH_MODULE);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// --save /dev/stdout writes into the tool's standard output (here a
// temporary file without a name), as a shell redirect would.
TEST(ToolFilesProcess, SaveToStandardOutput) {
    EXPECT_EQ(RunLq3860ctl({"--simulate", "read", "--save", "/dev/stdout"}), (ToolRun{0, FRESH_MODULE, ""}));
}

}  // namespace

}  // namespace lq3860
