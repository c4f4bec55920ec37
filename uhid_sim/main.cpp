// SPDX-License-Identifier: MIT
// lq3860-sim: virtual LQ-3860 modules on the kernel's HID stack (through uhid
// or as USB gadgets), so the utility can be tried and tested on Linux without
// hardware.
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
#include "uhid_sim/module_transport.h"
#include "uhid_sim/program_options.h"

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
    std::unique_ptr<ModuleTransport> transport;
    bool saveFailureTold = false;
    // Answers not sent yet, with the time each is due, in order (every answer
    // has the same delay); the front one may wait for the device to take it.
    std::deque<std::pair<Clock::time_point, TransportBytes>> pending;

    bool AnswerDue(Clock::time_point now) const { return !pending.empty() && pending.front().first <= now; }
};

// Sends the answers whose time has come, as far as the device takes them.
void SendDueAnswers(VirtualModule& module, int number, Clock::time_point now) {
    while (module.AnswerDue(now)) {
        const SendResult sent = module.transport->Send(module.pending.front().second);
        if (sent == SendResult::Later) return;
        if (sent == SendResult::Failed) {
            std::fprintf(stderr, "lq3860-sim: module %d: writing %s failed\n", number,
                         module.transport->Node().c_str());
        }
        module.pending.pop_front();
    }
}

// How long the event wait may last before an answer falls due; nullopt: no
// limit. An answer already due waits for its device instead.
std::optional<timespec> WaitLimit(const std::vector<std::unique_ptr<VirtualModule>>& modules, Clock::time_point now) {
    std::optional<Clock::time_point> earliest;
    for (const auto& module : modules) {
        if (module->transport->Present() && !module->pending.empty() && !module->AnswerDue(now)) {
            earliest = std::min(earliest.value_or(Clock::time_point::max()), module->pending.front().first);
        }
    }
    if (!earliest) return std::nullopt;
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(*earliest - now);
    return timespec{static_cast<time_t>(wait.count() / 1000000000), static_cast<long>(wait.count() % 1000000000)};
}

// Takes one request of a module and queues its answer; an unplug or a
// broken device removes the module.
void ServeModule(VirtualModule& module, int number) {
    TransportAnswer answer;
    if (!module.transport->Serve(answer)) {
        std::fprintf(stderr, "lq3860-sim: module %d: reading %s failed\n", number, module.transport->Node().c_str());
        module.transport->Remove();
        return;
    }
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(answer.delayMs);
    for (TransportBytes& bytes : answer.writes) module.pending.emplace_back(due, std::move(bytes));
    SendDueAnswers(module, number, Clock::now());
    if (module.module.StateSaveFailed() && !module.saveFailureTold) {
        module.saveFailureTold = true;
        std::fprintf(stderr, "lq3860-sim: module %d: %s\n", number, module.module.StateSaveFailure().c_str());
    }
    if (answer.unplug) {
        module.pending.clear();  // a module that is gone sends nothing more
        module.transport->Remove();
        std::printf("lq3860-sim: module %d unplugged after %d reports\n", number, module.module.OutputReports());
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
        module->transport = options.usbGadget ? CreateUsbGadgetTransport(options, i, module->module, error)
                                              : CreateUhidTransport(options, i, module->module, error);
        if (!module->transport) {
            std::fprintf(stderr, "lq3860-sim: %s\n", error.c_str());
            return 1;
        }
        modules.push_back(std::move(module));
    }
    std::printf("lq3860-sim: %d virtual module(s) created, vendor %04x product %04x\n", options.module.modules,
                options.vendorId, options.productId);
    std::fflush(stdout);

    while (!stopRequested) {
        const Clock::time_point now = Clock::now();
        std::vector<pollfd> fds;
        std::vector<int> owners;
        for (std::size_t i = 0; i < modules.size(); ++i) {
            if (modules[i]->transport->Present()) {
                const short events = POLLIN | (modules[i]->AnswerDue(now) ? POLLOUT : 0);
                fds.push_back({modules[i]->transport->Descriptor(), events, 0});
                owners.push_back(static_cast<int>(i));
            }
        }
        if (fds.empty()) {
            return 0;  // every module has been unplugged
        }
        const std::optional<timespec> limit = WaitLimit(modules, now);
        if (::ppoll(fds.data(), fds.size(), limit ? &*limit : nullptr, &waitMask) < 0) {
            if (errno == EINTR) continue;
            std::perror("lq3860-sim: ppoll");
            return 1;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            VirtualModule& module = *modules[static_cast<std::size_t>(owners[i])];
            SendDueAnswers(module, owners[i], Clock::now());
            if ((fds[i].revents & ~POLLOUT) != 0) ServeModule(module, owners[i]);
        }
    }
    return 0;  // the modules are removed with their devices
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
