// SPDX-License-Identifier: MIT
#include <iostream>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/run_tool.h"
#include "cli/tool_context.h"
#include "types/standard_output.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = lq3860::StartConsoleProgram(argc, argv);
    lq3860::ToolEnvironment environment;
    environment.terminalOutput = lq3860::StandardOutputIsTerminal();
    const int status = lq3860::RunTool(arguments, std::cout, std::cerr, environment);
    return lq3860::FinishStandardOutput(lq3860::PROGRAM_NAME, status);
}
