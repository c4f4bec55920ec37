// SPDX-License-Identifier: MIT
#include <iostream>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/run_tool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = lq3860::StartConsoleProgram(argc, argv);
    const int status = lq3860::RunTool(arguments, std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? status : 1;
}
