// SPDX-License-Identifier: MIT
// The process of lq3860ctl on Linux: the arguments are bytes already, and
// the standard streams pass bytes unchanged, to a terminal too.
#include "cli/console.h"
#include "program/program_arguments.h"
#include "program/standard_output.h"

#include <signal.h>
#include <unistd.h>

namespace lq3860 {

std::vector<std::string> StartConsoleProgram(int argc, char** argv) {
    // A reader that went away (`lq3860ctl ... | head -1`) makes a write fail
    // with EPIPE, told as "write error" like every other failed write,
    // instead of ending the program without a word.
    ::signal(SIGPIPE, SIG_IGN);
    return ProgramArguments(argc, argv);
}

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

StandardStreams::StandardStreams() = default;
StandardStreams::~StandardStreams() = default;

int StandardStreams::Finish(const char* program, int status, std::string_view output) {
    return FinishStandardOutput(program, status, output);
}

}  // namespace lq3860
