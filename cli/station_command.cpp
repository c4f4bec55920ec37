// SPDX-License-Identifier: MIT
// station FILE: a production line's station. Waits for modules, writes FILE
// to each one as it is plugged in, reads it back to verify it, and logs one
// line per module. Several modules plugged at once are written side by side,
// each on its own thread, session and link (cli/module_run.h); a module
// pulled out and plugged in again is a new job.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/module_run.h"
#include "device/hid_device_table.h"
#include "device/hotplug_monitor.h"
#include "device/module_label.h"
#include "types/interrupt_hold.h"

namespace lq3860 {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int EVENT_WAIT_MS = 100;                       // how often the loop looks at interrupts and the count
constexpr auto SCAN_INTERVAL = std::chrono::seconds(1);  // the timer scan where no device events arrive

// One module from its plug to its line.
struct Job {
    std::unique_ptr<ModuleRun> run;
    std::string path;
    Clock::time_point start;
    std::thread thread;
    bool finished = false;  // under the station's lock
    bool removed = false;   // pulled out while it ran (main thread only)
};

// "2026-12-07T18:30:01.234Z": the time the line is logged, in UTC.
std::string LogTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    char text[40] = {};
    // std::gmtime's result is shared: the caller holds the station's lock.
    if (const std::tm* utc = std::gmtime(&seconds)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", utc);
    char withMilliseconds[48];
    std::snprintf(withMilliseconds, sizeof withMilliseconds, "%s.%03dZ", text, static_cast<int>(milliseconds));
    return withMilliseconds;
}

class Station {
public:
    Station(const ToolContext& context, ModuleAccess& access, const WriteRequest& request, std::ostream& log,
            HotplugMonitor* monitor)
        : context_(context), access_(access), request_(request), log_(log), monitor_(monitor) {}

    int Run(bool configureAttached);

private:
    bool Stopping() const;
    // Scans, forgets the modules no longer listed, and starts a job for each
    // listed module that is neither done nor in flight.
    void StartNewModules();
    void Start(int slot, const std::string& path);
    void Work(Job& job);
    void Log(Job& job, const FirmwareInfo& firmware, int status);
    // Joins the finished jobs (every job when `all`); true when one of them
    // was pulled out while it ran, so a scan looks for it again.
    bool Reap(bool all);
    void TakeEvents(bool& rescan);

    const ToolContext& context_;
    ModuleAccess& access_;
    const WriteRequest& request_;
    std::ostream& log_;
    HotplugMonitor* monitor_;

    std::list<Job> jobs_;         // in flight, or finished and not yet joined
    std::set<std::string> done_;  // paths written (or skipped) since they were plugged in
    int started_ = 0;

    mutable std::mutex lock_;  // the log, the counts and each job's `finished`
    int written_ = 0;
    int failed_ = 0;
    int worst_ = EXIT_OK;
    bool logFailed_ = false;
};

bool Station::Stopping() const {
    const std::lock_guard<std::mutex> guard(lock_);
    const int count = context_.line.stationCount;
    return InterruptHold::Requested() || logFailed_ || (count > 0 && started_ >= count);
}

void Station::StartNewModules() {
    const int listed = access_.Scan();
    std::set<std::string> present;
    for (int slot = 0; slot < listed; ++slot) {
        if (const char* path = access_.GetSession().Devices().Path(slot)) present.insert(path);
    }
    std::erase_if(done_, [&present](const std::string& path) { return !present.contains(path); });
    for (int slot = 0; slot < listed && !Stopping(); ++slot) {
        const char* path = access_.GetSession().Devices().Path(slot);
        if (path == nullptr || done_.contains(path)) continue;
        bool inFlight = false;
        for (const Job& job : jobs_) inFlight = inFlight || (job.path == path && !job.removed);
        if (!inFlight) Start(slot, path);
    }
}

void Station::Start(int slot, const std::string& path) {
    Job& job = jobs_.emplace_back();
    job.path = path;
    job.start = Clock::now();
    job.run = std::make_unique<ModuleRun>(context_, access_, slot, ModuleLabel(access_.GetSession().Devices(), slot));
    {
        const std::lock_guard<std::mutex> guard(lock_);
        ++started_;
    }
    if (job.run->access.Prepare() != EXIT_OK) {
        Log(job, {}, EXIT_FAILED);
        return;
    }
    try {
        job.thread = std::thread([this, &job] { Work(job); });
    } catch (const std::system_error&) {
        Work(job);  // no thread to be had: this one does it
    }
}

void Station::Work(Job& job) {
    KeepInterruptsFromThisThread();  // an interrupt goes to the station's own thread
    ModuleRun& run = *job.run;
    FirmwareInfo firmware;
    int status = run.access.OpenSelectedModule();
    if (status == EXIT_OK) {
        HidReport reply{};
        if (run.access.GetSession().link.QueryFirmware(reply, firmware) != ReplyOutcome::Accepted) {
            status = run.access.FailLink(run.access.LastDebugText());  // "HID_Write Err", "HID_Read Err" or "NG"
        } else {
            status = WriteOpenModule(run.context, run.access, request_);
        }
    }
    // The module is free for the next program as soon as its line is out.
    if (run.access.GetSession().link.deviceOpen) run.access.GetSession().link.CloseLink();
    Log(job, firmware, status);
}

void Station::Log(Job& job, const FirmwareInfo& firmware, int status) {
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - job.start).count();
    const ModuleRun& run = *job.run;
    std::string date = firmware.dateText;
    if (!date.empty() && date.back() == ' ') date.pop_back();
    const bool ok = status == EXIT_OK;
    const std::lock_guard<std::mutex> guard(lock_);
    const std::string time = LogTime();
    context_.err << run.err.str();
    if (context_.line.json) {
        JsonObject line = JsonObject()
                              .AddText("time", time)
                              .AddNumber("slot", run.slot)
                              .AddText("path", job.path)
                              .AddText("name", run.label)
                              .AddText("version", firmware.versionText)
                              .AddText("date", date)
                              .AddText("outcome", ok ? "written and verified" : "failed")
                              .AddNumber("status", status);
        if (!ok && run.share.error) line.AddText("error", ErrorCodeOf(*run.share.error).code);
        if (!ok) line.AddText("message", run.share.lastMessage);
        log_ << line.AddNumber("milliseconds", took).Text() << '\n';
    } else {
        const auto shown = [](const std::string& text) { return text.empty() ? std::string("-") : text; };
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%lld.%03lld s", static_cast<long long>(took / 1000),
                      static_cast<long long>(took % 1000));
        log_ << time << '\t' << run.slot << '\t' << EscapeForTerminal(job.path) << '\t' << EscapeForTerminal(run.label)
             << '\t' << EscapeForTerminal(shown(firmware.versionText)) << '\t' << EscapeForTerminal(shown(date)) << '\t'
             << (ok ? std::string("written and verified") : "failed: " + EscapeForTerminal(run.share.lastMessage))
             << '\t' << seconds << '\n';
    }
    log_.flush();
    if (!log_) logFailed_ = true;  // a reader that went away: the station stops after the modules in flight
    (ok ? written_ : failed_) += 1;
    worst_ = std::max(worst_, status);
    job.finished = true;
}

bool Station::Reap(bool all) {
    bool lookAgain = false;
    for (auto job = jobs_.begin(); job != jobs_.end();) {
        bool finished = false;
        {
            const std::lock_guard<std::mutex> guard(lock_);
            finished = job->finished;
        }
        if (!finished && !all) {
            ++job;
            continue;
        }
        if (job->thread.joinable()) job->thread.join();
        if (job->removed) {
            lookAgain = true;
        } else {
            done_.insert(job->path);
        }
        job = jobs_.erase(job);
    }
    return lookAgain;
}

void Station::TakeEvents(bool& rescan) {
    for (const DeviceEvent& event : monitor_->TakeEvents()) {
        if (event.vendorId != 0 && event.vendorId != LQ3860_VENDOR_ID) continue;
        rescan = true;
        if (event.kind != DeviceEvent::Kind::Removed) continue;
        done_.erase(event.path);
        for (Job& job : jobs_) job.removed = job.removed || job.path == event.path;
    }
}

int Station::Run(bool configureAttached) {
    // The station's own thread takes the interrupts: it stops taking modules,
    // lets those in flight finish, and gives the summary before the
    // interrupt ends the program.
    const InterruptHold hold(InterruptHold::ThisThread::Interruptible);
    if (!configureAttached) {
        const int listed = access_.Scan();
        for (int slot = 0; slot < listed; ++slot) {
            if (const char* path = access_.GetSession().Devices().Path(slot)) done_.insert(path);
        }
    }
    StartNewModules();
    Clock::time_point lastScan = Clock::now();
    while (!Stopping()) {
        bool rescan = false;
        if (monitor_ != nullptr) {
            monitor_->WaitForEvents(EVENT_WAIT_MS);
            TakeEvents(rescan);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(EVENT_WAIT_MS));
            rescan = Clock::now() - lastScan >= SCAN_INTERVAL;
        }
        if (Reap(false)) rescan = true;
        if (rescan && !Stopping()) {
            StartNewModules();
            lastScan = Clock::now();
        }
    }
    Reap(true);
    const std::lock_guard<std::mutex> guard(lock_);
    if (context_.line.json) {
        log_ << JsonObject().AddNumber("written", written_).AddNumber("failed", failed_).Text() << '\n';
    } else {
        log_ << "summary\twritten " << written_ << "\tfailed " << failed_ << '\n';
    }
    log_.flush();
    return worst_;
}

}  // namespace

int RunStation(const ToolContext& context, ModuleAccess& access, HotplugMonitor* monitor, std::ostream& log) {
    WriteRequest request;
    if (const int status = PrepareWrite(context, request); status != EXIT_OK) return status;
    // Every module is verified.
    CommandLine line = context.line;
    line.verify = true;
    const ToolContext verifying{line, context.out, context.err, nullptr, context.terminalOutput};
    Station station(verifying, access, request, log, monitor);
    return station.Run(!context.line.skipAttached);
}

}  // namespace lq3860
