// SPDX-License-Identifier: MIT
#pragma once
// What lq3860ctl needs of its process before it runs: the arguments as UTF-8
// texts and standard streams that pass bytes unchanged. One file per
// platform implements it.
#include <string>
#include <vector>

namespace lq3860 {

// Prepares the standard streams and returns the arguments after the program
// name. On Windows the streams are switched to binary (the C runtime's text
// mode writes "\r\n" as "\r\r\n") and the arguments come from the wide
// command line (argv holds them in the ANSI code page, which loses every
// character outside it).
std::vector<std::string> StartConsoleProgram(int argc, char** argv);

// True when standard output is a terminal (not a pipe or a file).
bool StandardOutputIsTerminal();

}  // namespace lq3860
