// SPDX-License-Identifier: MIT
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/run_tool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = lq3860::StartConsoleProgram(argc, argv);
    lq3860::StandardStreams streams;
    const int status = lq3860::RunTool(arguments, streams.Out(), streams.Err());
    streams.Out().flush();
    return streams.Out() ? status : 1;
}
