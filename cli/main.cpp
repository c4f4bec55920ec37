// SPDX-License-Identifier: MIT
#include <sstream>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/run_tool.h"
#include "cli/tool_context.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = lq3860::StartConsoleProgram(argc, argv);
    lq3860::StandardStreams streams;
    lq3860::ToolEnvironment environment;
    environment.terminalOutput = lq3860::StandardOutputIsTerminal();
    environment.live = &streams.Out();  // the station's lines, each as it happens
    // The results go out at the end in one piece, so a failed write is seen with its reason.
    std::ostringstream out;
    const int status = lq3860::RunTool(arguments, out, streams.Err(), environment);
    return streams.Finish(lq3860::PROGRAM_NAME, status, out.view());
}
