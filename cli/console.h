// SPDX-License-Identifier: MIT
#pragma once
// What lq3860ctl needs of its process before it runs: the arguments as UTF-8
// texts and standard streams that pass bytes unchanged. One file per
// platform implements it.
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
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

// The streams the tool writes its output and messages to: std::cout and
// std::cerr, except where one of them is a Windows console. A console is
// given the text as UTF-16 (WriteConsoleW), so every character shows as
// written whatever the console's code page; a pipe or file gets the UTF-8
// bytes unchanged.
class StandardStreams {
public:
    StandardStreams();
    ~StandardStreams();
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;

    std::ostream& Out() { return out_ ? *out_ : std::cout; }
    std::ostream& Err() { return err_ ? *err_ : std::cerr; }

    // Writes the program's collected output to standard output (UTF-16 to a
    // console) and returns `status`, or a failure with "PROGRAM: write
    // error" when the output could not be written.
    int Finish(const char* program, int status, std::string_view output);

private:
    std::unique_ptr<std::streambuf> outConsole_;
    std::unique_ptr<std::streambuf> errConsole_;
    std::unique_ptr<std::ostream> out_;
    std::unique_ptr<std::ostream> err_;
};

}  // namespace lq3860
