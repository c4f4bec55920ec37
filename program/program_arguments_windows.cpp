// SPDX-License-Identifier: MIT
#include "program/program_arguments.h"

#include <windows.h>

#include <shellapi.h>

#include "types/wide_text_windows.h"

namespace lq3860 {

// argv is not used: its texts went through the ANSI code page. Empty when
// the wide command line cannot be read.
std::vector<std::string> ProgramArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(WideToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

}  // namespace lq3860
