#pragma once
// What the scenarios on the real kernel HID stack share: starting the
// guest's programs, and a fixture that plugs lq3860-sim modules and sees them
// through hidapi and the device table. Runs inside the test VM only.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "device/hid_device_table.h"
#include "device/hidapi_platform.h"
#include "device/module_link.h"
#include "session/session.h"

namespace lq3860 {

using Clock = std::chrono::steady_clock;
using Args = std::vector<std::string>;

inline std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

inline long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The guest's programs, as run-vm-test.sh installs them.
inline const char *const SIM = "/bin/lq3860-sim", *const CTL = "/bin/lq3860ctl", *const UDEVADM = "/bin/udevadm";

// Starts `path`, as `uid` when it is not 0; with a `capture` prefix its
// output goes to <capture>.out and <capture>.err.
inline pid_t Start(const char* path, Args arguments, const std::string& capture = "", uid_t uid = 0) {
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

// Waits for a program started with a `capture` prefix: "<exit status, -1
// when abnormal>|<stdout>|<stderr>".
inline std::string Finish(pid_t child, const std::string& capture) {
    int status = 0;
    const bool ended = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    return std::to_string(ended ? WEXITSTATUS(status) : -1) + "|" + FileText(capture + ".out") + "|" +
           FileText(capture + ".err");
}

// Runs `program` to its end, as Finish reports it.
inline std::string RunProgram(const char* program, Args arguments, uid_t uid = 0) {
    return Finish(Start(program, std::move(arguments), "/tmp/run", uid), "/tmp/run");
}

// A run that ended with status 0 and printed every one of `parts`.
inline ::testing::AssertionResult Succeeded(const std::string& run, std::initializer_list<std::string> parts) {
    bool ok = run.rfind("0|", 0) == 0;
    for (const std::string& part : parts) ok = ok && run.find(part) != std::string::npos;
    return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "run gave: " << run;
}

// Entries of a folder whose name starts with `prefix`.
inline std::size_t EntriesStartingWith(const char* folder, std::string_view prefix) {
    std::error_code error;
    std::size_t count = 0;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        count += entry->path().filename().string().starts_with(prefix);
    return count;
}

// The hidraw devices the kernel has, when sysfs and /dev agree on their
// number (a device node comes after its sysfs entry and goes before it);
// unlike a hidapi scan of every vendor, safe while devices disappear.
inline std::size_t HidrawNodes() {
    const std::size_t inSysfs = EntriesStartingWith("/sys/class/hidraw", "hidraw");
    return inSysfs == EntriesStartingWith("/dev", "hidraw") ? inSysfs : std::size_t(-1);
}

// Sees the kernel's HID interfaces through hidapi and the device table; the
// lq3860-sim processes it plugs are stopped (their modules unplugged) at the end.
class RealStack : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WaitForDevices(0)) << "devices of an earlier scenario are still there"; }
    void TearDown() override { Unplug(); }

    // One lq3860-sim per option list; true once the kernel shows `devices` hidraw nodes.
    bool Plug(std::vector<Args> processes, std::size_t devices) {
        for (Args& options : processes) sims_.push_back(Start(SIM, std::move(options)));
        return std::count(sims_.begin(), sims_.end(), -1) == 0 && WaitForDevices(devices);
    }
    bool PlugOneAndOpen(Args options) { return Plug({std::move(options)}, 1) && Scan() == 1 && link_.OpenModule(0); }
    void Unplug() {
        for (pid_t pid : sims_)
            if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
        sims_.clear();
    }
    // The kernel adds and removes uhid devices in the background.
    static bool WaitForDevices(std::size_t count) {
        for (const auto deadline = Clock::now() + std::chrono::seconds(10); HidrawNodes() != count;
             std::this_thread::sleep_for(std::chrono::milliseconds(20)))
            if (Clock::now() > deadline) return false;
        return true;
    }
    int Scan() { return table_.HID_ClearList(), table_.HID_Enumerate(); }

    HidapiPlatform platform_;       // the program's: LQ-3860 vendor only
    HidapiPlatform allVendors_{0};  // every HID interface, for settled devices only
    std::vector<pid_t> sims_;
    Session session_{&platform_};
    HidDeviceTable& table_ = session_.Devices();
    ModuleLink& link_ = session_.link;
    HidReport reply_{};
};

}  // namespace lq3860
