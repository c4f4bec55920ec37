// SPDX-License-Identifier: MIT
// Running programs on Windows. A program
// named without a folder is searched first in the folder of the running
// test, where the build puts lq3860ctl.exe too.
#include <windows.h>

#include "tool_process.h"
#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

// One argument as the C runtime's command-line parser (and
// CommandLineToArgvW) reads it back: quoted when it holds blanks or quotes,
// backslashes doubled only before a quote.
std::wstring QuotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted.push_back(c);
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

// A file (or NUL) the child inherits as a standard stream.
HANDLE InheritedFile(const std::string& path, DWORD access, DWORD disposition) {
    std::wstring name;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!Utf8ToWide(path, name)) return INVALID_HANDLE_VALUE;
    return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, disposition, 0, nullptr);
}

}  // namespace

ToolRun RunProgram(const std::vector<std::string>& arguments) {
    std::wstring commandLine;
    for (const std::string& argument : arguments) {
        std::wstring wide;
        if (!Utf8ToWide(argument, wide)) return {};
        commandLine += (commandLine.empty() ? L"" : L" ") + QuotedArgument(wide);
    }
    const TempDir dir;  // the child's stdout and stderr
    const HANDLE out = InheritedFile(dir.File("out"), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = InheritedFile(dir.File("err"), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE in = InheritedFile("NUL", GENERIC_READ, OPEN_EXISTING);
    ToolRun run;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (!commandLine.empty() && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        DWORD status = 0;
        if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process.hProcess, &status)) {
            run.status = static_cast<int>(status);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (const HANDLE handle : {in, out, err}) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    run.out = ReadWholeFile(dir.File("out"));
    run.err = ReadWholeFile(dir.File("err"));
    return run;
}

}  // namespace lq3860
