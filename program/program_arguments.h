// SPDX-License-Identifier: MIT
#pragma once
// A program's command-line arguments as the user typed them, in UTF-8. One
// file per platform implements it.
#include <string>
#include <vector>

namespace lq3860 {

// The arguments after the program name. On Linux they are argv's bytes; on
// Windows they come from the wide command line, since argv holds them in the
// ANSI code page, which loses every character outside it (a path holding
// 中文 on a Western system).
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace lq3860
