// SPDX-License-Identifier: MIT
// info, signal, read and write on every listed module at once (--all): one
// scan, then one thread per module (cli/module_run.h), so a module that fails
// cannot stop or disturb the others.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/module_run.h"
#include "device/module_label.h"
#include "types/interrupt_hold.h"

namespace lq3860 {

namespace {

// True when `path` can stand for one file per module: numbered names are
// made beside a regular file's name, so "-", a folder, a stream or a device
// (/dev/stdout, /proc/self/fd/1, a FIFO) cannot.
bool NumberableSaveName(const std::string& path) {
    if (path == "-" || path.ends_with('/') || path.starts_with("/dev/") || path.starts_with("/proc/")) return false;
    std::error_code error;
    const std::filesystem::file_status status =
        std::filesystem::status(std::filesystem::path(std::u8string(path.begin(), path.end())), error);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

int RunCommand(ModuleRun& run, const WriteRequest& request) {
    switch (run.line.command) {
        case ToolCommand::Info: return RunInfo(run.context, run.access);
        case ToolCommand::Signal: return RunSignal(run.context, run.access);
        case ToolCommand::Read: return RunRead(run.context, run.access);
        case ToolCommand::Write: return SendWrite(run.context, run.access, request);
        default: return EXIT_USAGE;
    }
}

void RunSideBySide(const std::vector<std::unique_ptr<ModuleRun>>& runs, const WriteRequest& request) {
    std::vector<std::thread> threads;
    threads.reserve(runs.size());
    for (const auto& run : runs) {
        ModuleRun& one = *run;
        try {
            threads.emplace_back([&one, &request] {
                KeepInterruptsFromThisThread();  // an interrupt goes to the waiting main thread
                one.status = RunCommand(one, request);
            });
        } catch (const std::system_error&) {
            one.status = RunCommand(one, request);  // no thread to be had: this one runs it
        }
    }
    for (std::thread& thread : threads) thread.join();
}

void PrintResults(const ToolContext& context, const std::vector<std::unique_ptr<ModuleRun>>& runs) {
    JsonArray modules;
    for (const auto& run : runs) {
        context.err << run->err.str();
        if (context.line.json) {
            const char* path = run->access.GetSession().Devices().Path(run->slot);
            JsonObject element = ModuleJson(run->slot, run->label, path != nullptr ? path : "");
            element.AddNumber("status", run->status);
            if (run->share.error) {
                element.AddText("error", ErrorCodeOf(*run->share.error).code)
                    .AddText("message", run->share.lastMessage);
            }
            // A failed command leaves none, but for a write that was not verified.
            if (run->share.json) element.AddMembersOf(*run->share.json);
            modules.Add(element);
            continue;
        }
        std::istringstream lines(run->out.str());
        for (std::string line; std::getline(lines, line);) context.out << run->share.prefix << line << '\n';
    }
    if (context.line.json) context.out << modules.Text() << '\n';
}

}  // namespace

int RunOnAllModules(const ToolContext& context, ModuleAccess& access) {
    const std::string& saveFile = context.line.saveFile;
    if (!saveFile.empty() && !NumberableSaveName(saveFile)) {
        context.Message(saveFile +
                        ": --all saves one file per module, numbered after a regular file's name; "
                        "a folder, stream or device cannot be numbered");
        return EXIT_USAGE;
    }
    WriteRequest request;
    if (context.line.command == ToolCommand::Write) {
        if (const int status = PrepareWrite(context, request); status != EXIT_OK) return status;
    }
    const int count = access.Scan();
    if (count == 0) {
        if (context.line.json) context.out << "[]\n";
        context.Message("No LQ-3860 module found.");
        access.ReportAccessDenied();
        access.AllListed();
        return EXIT_NO_MODULE;
    }
    std::vector<std::unique_ptr<ModuleRun>> runs;
    for (int slot = 0; slot < count; ++slot) {
        runs.push_back(
            std::make_unique<ModuleRun>(context, access, slot, ModuleLabel(access.GetSession().Devices(), slot)));
        if (const int status = runs.back()->access.Prepare(); status != EXIT_OK) return status;
    }
    RunSideBySide(runs, request);
    PrintResults(context, runs);
    access.ReportAccessDenied();
    // A module past the table's end was left out: the run did not reach every module.
    std::set<int> failures;
    if (!access.AllListed()) failures.insert(EXIT_FAILED);
    for (const auto& run : runs) {
        if (run->status != EXIT_OK) failures.insert(run->status);
    }
    // One cause keeps its status; causes that differ have only their failing in common.
    if (failures.empty()) return EXIT_OK;
    return failures.size() == 1 ? *failures.begin() : EXIT_FAILED;
}

}  // namespace lq3860
