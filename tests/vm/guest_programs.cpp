#include "guest_programs.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <thread>

namespace lq3860 {

namespace {

// Entries of a folder whose name starts with `prefix`.
std::size_t EntriesStartingWith(const char* folder, std::string_view prefix) {
    std::error_code error;
    std::size_t count = 0;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        count += entry->path().filename().string().starts_with(prefix);
    return count;
}

}  // namespace

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

pid_t Start(const char* path, Args arguments, const std::string& capture, uid_t uid) {
    const pid_t child = fork();
    if (child != 0) return child;
    if (!capture.empty() && (!std::freopen((capture + ".out").c_str(), "w", stdout) ||
                             !std::freopen((capture + ".err").c_str(), "w", stderr)))
        _exit(120);
    if (uid != 0 && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(121);
    std::vector<char*> argv{const_cast<char*>(path)};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(path, argv.data());
    _exit(122);
}

std::string Finish(pid_t child, const std::string& capture) {
    int status = 0;
    const bool ended = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    return std::to_string(ended ? WEXITSTATUS(status) : -1) + "|" + FileText(capture + ".out") + "|" +
           FileText(capture + ".err");
}

std::string RunProgram(const char* program, Args arguments, uid_t uid) {
    return Finish(Start(program, std::move(arguments), "/tmp/run", uid), "/tmp/run");
}

::testing::AssertionResult Succeeded(const std::string& run, std::initializer_list<std::string> parts) {
    bool ok = run.rfind("0|", 0) == 0;
    for (const std::string& part : parts) ok = ok && run.find(part) != std::string::npos;
    return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "run gave: " << run;
}

void Stop(pid_t pid) {
    if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
}

std::size_t HidrawNodes() {
    const std::size_t inSysfs = EntriesStartingWith("/sys/class/hidraw", "hidraw");
    return inSysfs == EntriesStartingWith("/dev", "hidraw") ? inSysfs : std::size_t(-1);
}

bool WaitForHidrawNodes(std::size_t count) {
    for (const auto deadline = Clock::now() + std::chrono::seconds(10); HidrawNodes() != count;
         std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        if (Clock::now() > deadline) return false;
    return true;
}

}  // namespace lq3860
