// SPDX-License-Identifier: MIT
// The process of lq3860ctl on Linux: the arguments are bytes already, and
// the standard streams pass bytes unchanged, to a terminal too.
#include "cli/console.h"
#include "types/program_arguments.h"
#include "types/standard_output.h"

#include <unistd.h>

namespace lq3860 {

std::vector<std::string> StartConsoleProgram(int argc, char** argv) {
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
