// SPDX-License-Identifier: MIT
#pragma once
// Running the guest's programs from a scenario: the virtual modules
// (lq3860-sim), the tool and udevadm, as run-vm-test.sh installs them, and
// waiting for the kernel to show what they plugged; the scenarios' fixtures.
// Runs inside the test VM.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "device/hid_device_table.h"
#include "device/hid_platform_linux.h"

namespace lq3860 {

using Args = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

// The guest's programs, as run-vm-test.sh installs them.
inline const char *const SIM = "/bin/lq3860-sim", *const CTL = "/bin/lq3860ctl", *const UDEVADM = "/bin/udevadm";

// The whole file; empty when it cannot be read.
inline std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

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

// Runs `program` to its end, as Finish reports it; `took` gets its wall time.
inline std::string RunProgram(const char* program, Args arguments, uid_t uid = 0, long long* took = nullptr) {
    const Clock::time_point start = Clock::now();
    std::string run = Finish(Start(program, std::move(arguments), "/tmp/run", uid), "/tmp/run");
    if (took != nullptr) *took = MillisecondsSince(start);
    return run;
}

// A run that ended with status 0 and printed every one of `parts`.
inline ::testing::AssertionResult Succeeded(const std::string& run, std::initializer_list<std::string> parts) {
    bool ok = run.rfind("0|", 0) == 0;
    for (const std::string& part : parts) ok = ok && run.find(part) != std::string::npos;
    return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "run gave: " << run;
}

// Ends a started program (a virtual module process: its modules are unplugged).
inline void Stop(pid_t pid) {
    if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
}

// The kernel adds and removes uhid devices in the background: true once it
// shows `count` hidraw devices (within ten seconds). Counted where sysfs and
// /dev agree (a device node comes after its sysfs entry and goes before it);
// unlike a hidapi scan of every vendor, safe while devices disappear.
inline bool WaitForHidrawNodes(int count) {
    const auto hidraw = [](const char* folder) {
        std::error_code error;
        int found = 0;
        for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error))
            found += entry->path().filename().string().starts_with("hidraw");
        return found;
    };
    for (const auto deadline = Clock::now() + std::chrono::seconds(10);
         hidraw("/sys/class/hidraw") != count || hidraw("/dev") != count;
         std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        if (Clock::now() > deadline) return false;
    return true;
}

// The words of LQ3860_SIM_OPTIONS, which every lq3860-sim of the guest gets
// first: "--usb" makes its modules USB gadgets on the dummy controller.
inline Args GuestSimOptions() {
    Args words;
    const char* text = std::getenv("LQ3860_SIM_OPTIONS");
    for (std::string rest = text != nullptr ? text : ""; !rest.empty();) {
        const std::size_t end = std::min(rest.find(' '), rest.size());
        if (end > 0) words.push_back(rest.substr(0, end));
        rest.erase(0, end + 1);
    }
    return words;
}

// A scenario that plugs lq3860-sim processes; they are stopped (their
// modules unplugged) at its end.
class GuestScenario : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WaitForHidrawNodes(0)) << "devices of an earlier scenario are still there"; }
    void TearDown() override { EXPECT_TRUE(Unplug()); }

    // One lq3860-sim per option list; true once the kernel shows `devices` hidraw nodes.
    bool Plug(std::vector<Args> processes, int devices) {
        for (Args& options : processes) {
            options.insert(options.begin(), guestOptions_.begin(), guestOptions_.end());
            sims_.push_back(Start(SIM, std::move(options)));
        }
        return std::count(sims_.begin(), sims_.end(), -1) == 0 && WaitForHidrawNodes(devices);
    }
    // Stops them all; true once their devices are gone.
    bool Unplug() {
        for (pid_t pid : sims_) Stop(pid);
        sims_.clear();
        return WaitForHidrawNodes(0);
    }

    const Args guestOptions_ = GuestSimOptions();
    std::vector<pid_t> sims_;
};

// A scenario that sees its modules through hidapi and the device table.
class RealStack : public GuestScenario {
protected:
    int Scan() { return table_.HID_ClearList(), table_.HID_Enumerate(); }

    HidapiPlatform platform_;       // the program's: LQ-3860 vendor only
    HidapiPlatform allVendors_{0};  // every HID interface, for settled devices only
    HidDeviceTable table_{&platform_};
};

}  // namespace lq3860
