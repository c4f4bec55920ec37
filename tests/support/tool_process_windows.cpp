// SPDX-License-Identifier: MIT
// Running programs and making temporary directories on Windows. A program
// named without a folder is searched first in the folder of the running
// test, where the build puts lq3860ctl.exe too.
#include <windows.h>

#include <cstdlib>

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

// A temporary file the child inherits as a standard stream; deleted when
// closed.
HANDLE CreateCaptureFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"lqo", 0, name) == 0) {
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// Everything written to the file, read from its start; the file is closed.
std::string ReadBack(HANDLE file) {
    std::string text;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    }
    CloseHandle(file);
    return text;
}

}  // namespace

ToolRun RunProgram(const std::vector<std::string>& arguments) {
    std::wstring commandLine;
    for (const std::string& argument : arguments) {
        std::wstring wide;
        if (!Utf8ToWide(argument, wide)) return {};
        commandLine += (commandLine.empty() ? L"" : L" ") + QuotedArgument(wide);
    }
    const HANDLE out = CreateCaptureFile();
    const HANDLE err = CreateCaptureFile();
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE in =
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
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
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) run.out = ReadBack(out);
    if (err != INVALID_HANDLE_VALUE) run.err = ReadBack(err);
    return run;
}

TempDir::TempDir() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) std::abort();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate = std::wstring(folder, length) + L"lq3860ctl-test-" +
                                       std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path = WideToUtf8(candidate);
            return;
        }
    }
    std::abort();
}

}  // namespace lq3860
