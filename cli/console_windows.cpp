// SPDX-License-Identifier: MIT
// The process of lq3860ctl on Windows: arguments from the wide command line
// as UTF-8, and binary standard streams.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "cli/console.h"
#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

// The arguments after the program name, from the wide command line; empty
// when it cannot be read.
std::vector<std::string> Utf8CommandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

// In the C runtime's text mode every "\n" written becomes "\r\n", and reading
// drops CR and stops at Ctrl-Z. A stream without a descriptor (no console)
// is left alone.
void UseBinaryStandardStreams() {
    for (FILE* stream : {stdin, stdout, stderr}) {
        const int descriptor = _fileno(stream);
        if (descriptor >= 0) _setmode(descriptor, _O_BINARY);
    }
}

}  // namespace

bool StandardOutputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::vector<std::string> StartConsoleProgram(int, char**) {
    UseBinaryStandardStreams();
    return Utf8CommandLineArguments();
}

}  // namespace lq3860
