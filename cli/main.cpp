#include <iostream>
#include <string>
#include <vector>

#include "cli/run_tool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = lq3860::RunTool(arguments, std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? status : 1;
}
