// SPDX-License-Identifier: MIT
#include "cli/run_tool.h"

#include <memory>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/module_access.h"
#include "cli/usage_text.h"
#include "device/terminal_text.h"

namespace lq3860 {

namespace {

int RunModuleCommand(const ToolContext& context, const ToolEnvironment& environment) {
    ModuleAccess access(context, environment);
    if (const int status = access.Prepare(); status != EXIT_OK) return status;
    if (context.line.all) return RunOnAllModules(context, access);
    if (context.line.command == ToolCommand::Station) {
        std::unique_ptr<HotplugMonitor> host;
        HotplugMonitor* monitor = environment.hotplug;
        if (monitor == nullptr && environment.platform == nullptr && !context.line.simulate) {
            host = OpenHostHotplugMonitor();
            monitor = host.get();
        }
        return RunStation(context, access, monitor, environment.live ? *environment.live : context.out);
    }
    switch (context.line.command) {
        case ToolCommand::List: return RunList(context, access);
        case ToolCommand::Info: return RunInfo(context, access);
        case ToolCommand::Signal: return RunSignal(context, access);
        case ToolCommand::Read: return RunRead(context, access);
        case ToolCommand::Write: return RunWrite(context, access);
        default: return EXIT_USAGE;
    }
}

}  // namespace

int RunTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
            const ToolEnvironment& environment) {
    const ParseResult parsed = ParseCommandLine(arguments);
    if (!parsed.ok) {
        err << UsageErrorText(PROGRAM_NAME, EscapeControlsForTerminal(parsed.error));
        return EXIT_USAGE;
    }
    const ToolContext context{parsed.commandLine, out, err, nullptr, environment.terminalOutput};
    switch (context.line.command) {
        case ToolCommand::Help: out << HelpText(context.line.helpTopic); return EXIT_OK;
        case ToolCommand::Version: out << VERSION_TEXT << '\n'; return EXIT_OK;
        case ToolCommand::Completion:
            out << CompletionScript(context.line.completionShell, PROGRAM_NAME, ToolOptionTable(), ToolCommandTable());
            return EXIT_OK;
        case ToolCommand::GetMac: return RunGetMac(context);
        default: return RunModuleCommand(context, environment);
    }
}

}  // namespace lq3860
