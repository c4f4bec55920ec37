// SPDX-License-Identifier: MIT
// Running programs and making temporary directories on Linux.
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tool_process.h"

namespace lq3860 {

// The whole of a temporary file, read again from its start through its descriptor; the file is then closed.
static std::string ReadBack(std::FILE* file) {
    const std::string text = ReadWholeFile("/proc/self/fd/" + std::to_string(fileno(file)));
    std::fclose(file);
    return text;
}

ToolRun RunProgram(const std::vector<std::string>& arguments) {
    std::FILE* const out = std::tmpfile();  // left open on failure: the test fails anyway
    std::FILE* const err = std::tmpfile();
    if (out == nullptr || err == nullptr || arguments.empty()) return {};
    std::vector<char*> argv;  // execvp does not change the texts
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = -1;  // not "exited" unless waitpid says so
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return {WIFEXITED(status) && child > 0 ? WEXITSTATUS(status) : -1, ReadBack(out), ReadBack(err)};
}

TempDir::TempDir() : path((std::filesystem::temp_directory_path() / "lq3860ctl-test-XXXXXX").string()) {
    if (mkdtemp(path.data()) == nullptr) abort();
}

}  // namespace lq3860
