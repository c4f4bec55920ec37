// SPDX-License-Identifier: MIT
// Saving into what is no regular file: a FIFO with a reader and /dev/stdout
// take the saved lines; "-" is standard output for --save and standard input
// for write.
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
    EXPECT_EQ(RunProgram({LQ3860CTL_PATH, "--simulate", "read", "--save", "/dev/stdout"}),
              (ToolRun{0, FRESH_MODULE, ""}));
}

// A set piped into "write -" is written, and "read --save -" prints it.
TEST_F(ToolFiles, DashIsTheStandardStream) {
    const std::string text = ConfigText("01,11,01,", "piped", "abcdefghij");
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(ends[1]);
    const int input = ::dup(STDIN_FILENO);
    ::dup2(ends[0], STDIN_FILENO);
    ::close(ends[0]);
    const ToolRun written = Sim({"write", "-"});
    ::dup2(input, STDIN_FILENO);
    ::close(input);
    EXPECT_EQ(written, (ToolRun{0, "Upload Parameter OK\n", ""}));
    EXPECT_EQ(Sim({"read", "--save", "-"}), (ToolRun{0, text, ""}));
}

}  // namespace

}  // namespace lq3860
