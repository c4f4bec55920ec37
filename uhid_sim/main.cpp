// SPDX-License-Identifier: MIT
// lq3860-sim: virtual LQ-3860 modules on the kernel's HID stack, so the
// utility can be tried and tested on Linux without hardware.
#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/terminal_text.h"
#include "lq3860_version.h"
#include "program/completion_script.h"
#include "program/options.h"
#include "program/standard_output.h"
#include "uhid_sim/program_options.h"
#include "uhid_sim/uhid_device.h"
#include "uhid_sim/uhid_module.h"

namespace lq3860 {

namespace {

// Set by the stop signals' handler; a signal handler can reach nothing else.
volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// The stop signals stay blocked except inside the wait for events, so one
// that comes between the stopRequested test and the wait ends that wait
// instead of being lost. Returns the signal mask for the wait.
sigset_t InstallStopHandlers() {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, signalNumber);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action {};
    action.sa_handler = RequestStop;  // no SA_RESTART: ppoll returns with EINTR
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signalNumber, &action, nullptr);
        sigdelset(&waitMask, signalNumber);
    }
    return waitMask;
}

using Clock = std::chrono::steady_clock;

struct VirtualModule {
    SimulatedModule module;
    UhidModule logic{module};
    UhidDevice device;
    bool saveFailureTold = false;
    // Answers of a module with a reply delay, with the time each is due, in
    // order (every answer has the same delay).
    std::deque<std::pair<Clock::time_point, uhid_event>> delayed;
};

void WriteToDevice(VirtualModule& module, int number, const uhid_event& event) {
    if (!module.device.WriteEvent(event)) {
        std::fprintf(stderr, "lq3860-sim: module %d: writing /dev/uhid failed\n", number);
    }
}

// Writes the delayed answers whose time has come.
void WriteDueAnswers(VirtualModule& module, int number, Clock::time_point now) {
    while (!module.delayed.empty() && module.delayed.front().first <= now) {
        WriteToDevice(module, number, module.delayed.front().second);
        module.delayed.pop_front();
    }
}

// How long the event wait may last before a delayed answer is due; nullopt: no limit.
std::optional<timespec> WaitLimit(const std::vector<std::unique_ptr<VirtualModule>>& modules, Clock::time_point now) {
    std::optional<Clock::time_point> earliest;
    for (const auto& module : modules) {
        if (module->device.Present() && !module->delayed.empty()) {
            earliest = std::min(earliest.value_or(Clock::time_point::max()), module->delayed.front().first);
        }
    }
    if (!earliest) return std::nullopt;
    const auto wait =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(*earliest - now, Clock::duration{0}));
    return timespec{static_cast<time_t>(wait.count() / 1000000000), static_cast<long>(wait.count() % 1000000000)};
}

// Moves one event of a module and writes back its answer; an unplug or a
// broken /dev/uhid destroys the device.
void ServeModule(VirtualModule& module, int number) {
    uhid_event event;
    if (!module.device.ReadEvent(event)) {
        std::fprintf(stderr, "lq3860-sim: module %d: reading /dev/uhid failed\n", number);
        module.device.Destroy();
        return;
    }
    const UhidModule::Response response = module.logic.HandleEvent(event);
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(response.delayMs);
    for (const uhid_event& reply : response.events) {
        if (response.delayMs == 0) {
            WriteToDevice(module, number, reply);
        } else {
            module.delayed.emplace_back(due, reply);
        }
    }
    if (module.module.StateSaveFailed() && !module.saveFailureTold) {
        module.saveFailureTold = true;
        std::fprintf(stderr, "lq3860-sim: module %d: %s\n", number, module.module.StateSaveFailure().c_str());
    }
    if (response.unplug) {
        module.delayed.clear();  // a module that is gone sends nothing more
        module.device.Destroy();
        std::printf("lq3860-sim: module %d unplugged after %d reports\n", number, module.logic.OutputReports());
        std::fflush(stdout);
    }
}

int Run(const SimOptions& options, const sigset_t& waitMask) {
    std::vector<std::unique_ptr<VirtualModule>> modules;
    for (int i = 0; i < options.module.modules; ++i) {
        auto module = std::make_unique<VirtualModule>();
        const ConfigLoadResult prepared = PrepareSimulatedModule(options.module, module->module, i);
        if (!prepared.ok) {
            std::fprintf(stderr, "lq3860-sim: %s\n",
                         FileMessage(StateFileOf(options.module, i), prepared.message, prepared.reason).c_str());
            return 1;
        }
        std::string error;
        if (!module->device.Create(BuildCreateEvent(options, i), error)) {
            std::fprintf(stderr, "lq3860-sim: %s\n", error.c_str());
            return 1;
        }
        modules.push_back(std::move(module));
    }
    std::printf("lq3860-sim: %d virtual module(s) created, vendor %04x product %04x\n", options.module.modules,
                options.vendorId, options.productId);
    std::fflush(stdout);

    while (!stopRequested) {
        std::vector<pollfd> fds;
        std::vector<int> owners;
        for (std::size_t i = 0; i < modules.size(); ++i) {
            if (modules[i]->device.Present()) {
                fds.push_back({modules[i]->device.Descriptor(), POLLIN, 0});
                owners.push_back(static_cast<int>(i));
            }
        }
        if (fds.empty()) {
            return 0;  // every module has been unplugged
        }
        const std::optional<timespec> limit = WaitLimit(modules, Clock::now());
        if (::ppoll(fds.data(), fds.size(), limit ? &*limit : nullptr, &waitMask) < 0) {
            if (errno == EINTR) continue;
            std::perror("lq3860-sim: ppoll");
            return 1;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            VirtualModule& module = *modules[static_cast<std::size_t>(owners[i])];
            WriteDueAnswers(module, owners[i], Clock::now());
            if (fds[i].revents != 0) ServeModule(module, owners[i]);
        }
    }
    return 0;  // the modules are destroyed with their devices
}

}  // namespace

}  // namespace lq3860

namespace {

constexpr const char* PROGRAM = "lq3860-sim";

int RunProgram(const std::vector<std::string>& arguments) {
    using namespace lq3860;
    const SimOptionsResult parsed = ParseSimOptions(arguments);
    if (!parsed.ok) {
        std::fputs(UsageErrorText(PROGRAM, EscapeControlsForTerminal(parsed.error)).c_str(), stderr);
        return USAGE_ERROR_STATUS;
    }
    if (parsed.options.help) {
        std::fputs(SimUsage().c_str(), stdout);
        return 0;
    }
    if (parsed.options.version) {
        std::puts("lq3860-sim " LQ3860_VERSION);
        return 0;
    }
    if (!parsed.options.completionShell.empty()) {
        std::fputs(CompletionScript(parsed.options.completionShell, PROGRAM, SimOptionTable()).c_str(), stdout);
        return 0;
    }
    const sigset_t waitMask = InstallStopHandlers();
    return Run(parsed.options, waitMask);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    return lq3860::FinishStandardOutput(PROGRAM, RunProgram(arguments));
}
