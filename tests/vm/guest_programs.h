#pragma once
// Running the guest's programs from a scenario: the virtual modules
// (lq3860-sim), the tool and udevadm, as run-vm-test.sh installs them, and
// waiting for the kernel to show what they plugged. Runs inside the test VM.
#include <sys/types.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace lq3860 {

using Args = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

// The guest's programs, as run-vm-test.sh installs them.
inline const char *const SIM = "/bin/lq3860-sim", *const CTL = "/bin/lq3860ctl", *const UDEVADM = "/bin/udevadm";

// The whole file; empty when it cannot be read.
std::string FileText(const std::string& path);

long long MillisecondsSince(Clock::time_point start);

// Starts `path`, as `uid` when it is not 0; with a `capture` prefix its
// output goes to <capture>.out and <capture>.err.
pid_t Start(const char* path, Args arguments, const std::string& capture = "", uid_t uid = 0);

// Waits for a program started with a `capture` prefix: "<exit status, -1
// when abnormal>|<stdout>|<stderr>".
std::string Finish(pid_t child, const std::string& capture);

// Runs `program` to its end, as Finish reports it.
std::string RunProgram(const char* program, Args arguments, uid_t uid = 0);

// A run that ended with status 0 and printed every one of `parts`.
::testing::AssertionResult Succeeded(const std::string& run, std::initializer_list<std::string> parts);

// Ends a started program (a virtual module process: its modules are unplugged).
void Stop(pid_t pid);

// The hidraw devices the kernel has, when sysfs and /dev agree on their
// number (a device node comes after its sysfs entry and goes before it);
// unlike a hidapi scan of every vendor, safe while devices disappear.
std::size_t HidrawNodes();

// The kernel adds and removes uhid devices in the background: true once it
// shows `count` hidraw devices (within ten seconds).
bool WaitForHidrawNodes(std::size_t count);

}  // namespace lq3860
