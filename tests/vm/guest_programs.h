#pragma once
// Running the guest's programs from a scenario: the virtual modules
// (lq3860-sim), the tool and udevadm, as run-vm-test.sh installs them, and
// waiting for the kernel to show what they plugged.
#include <sys/types.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "device/hid_platform.h"

namespace lq3860 {

using Args = std::vector<std::string>;

// The guest's programs, as run-vm-test.sh installs them.
inline const char *const SIM = "/bin/lq3860-sim", *const CTL = "/bin/lq3860ctl", *const UDEVADM = "/bin/udevadm";

// The whole file; empty when it cannot be read.
std::string FileText(const std::string& path);

// Starts `path`, as `uid` when it is not 0; with `capture` its output goes
// to /tmp/run.out and /tmp/run.err.
pid_t Start(const char* path, Args arguments, bool capture = false, uid_t uid = 0);

// Runs `program` to its end: "<exit status, -1 when abnormal>|<stdout>|<stderr>".
std::string RunProgram(const char* program, Args arguments, uid_t uid = 0);

// A run that ended with status 0 and printed every one of `parts`.
::testing::AssertionResult Succeeded(const std::string& run, std::initializer_list<std::string> parts);

// Ends a started program (a virtual module process: its modules are unplugged).
void Stop(pid_t pid);

// The kernel adds and removes uhid devices in the background: true once the
// platform lists `count` interfaces (within ten seconds).
bool WaitForHidInterfaces(HidPlatform& platform, std::size_t count);

}  // namespace lq3860
