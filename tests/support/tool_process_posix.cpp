// SPDX-License-Identifier: MIT
// Running programs on Linux.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tool_process.h"

namespace lq3860 {

ToolRun RunProgram(const std::vector<std::string>& arguments) {
    const TempDir dir;  // the child's stdout and stderr
    if (arguments.empty()) return {};
    std::vector<char*> argv;  // execvp does not change the texts
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (std::freopen(dir.File("out").c_str(), "w", stdout) && std::freopen(dir.File("err").c_str(), "w", stderr))
            execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = -1;  // not "exited" unless waitpid says so
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return {WIFEXITED(status) && child > 0 ? WEXITSTATUS(status) : -1, ReadWholeFile(dir.File("out")),
            ReadWholeFile(dir.File("err"))};
}

}  // namespace lq3860
