// SPDX-License-Identifier: MIT
#include "program/program_arguments.h"

namespace lq3860 {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    if (argc <= 0 || argv == nullptr) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace lq3860
