#include "guest_programs.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

namespace lq3860 {

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

pid_t Start(const char* path, Args arguments, bool capture, uid_t uid) {
    const pid_t child = fork();
    if (child != 0) return child;
    if (capture && (!std::freopen("/tmp/run.out", "w", stdout) || !std::freopen("/tmp/run.err", "w", stderr)))
        _exit(120);
    if (uid != 0 && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(121);
    std::vector<char*> argv{const_cast<char*>(path)};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(path, argv.data());
    _exit(122);
}

std::string RunProgram(const char* program, Args arguments, uid_t uid) {
    int status = 0;
    const pid_t child = Start(program, std::move(arguments), true, uid);
    const bool ended = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    return std::to_string(ended ? WEXITSTATUS(status) : -1) + "|" + FileText("/tmp/run.out") + "|" +
           FileText("/tmp/run.err");
}

::testing::AssertionResult Succeeded(const std::string& run, std::initializer_list<std::string> parts) {
    bool ok = run.rfind("0|", 0) == 0;
    for (const std::string& part : parts) ok = ok && run.find(part) != std::string::npos;
    return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "run gave: " << run;
}

void Stop(pid_t pid) {
    if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
}

bool WaitForHidInterfaces(HidPlatform& platform, std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (platform.ListInterfaces().size() != count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace lq3860
