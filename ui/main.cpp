// SPDX-License-Identifier: MIT
// lq3860-utility: the LQ-3860 configuration window.
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "device/terminal_text.h"
#include "lq3860_version.h"
#include "types/command_options.h"
#include "types/program_arguments.h"
#include "types/standard_output.h"
#include "ui/host_display.h"
#include "ui/utility_app.h"

namespace {

enum OptionId { HELP, VERSION, VERBOSE, SIMULATE, SCREENSHOT };

// The conventions of lq3860ctl and lq3860-sim, from the same kind of table.
constexpr lq3860::OptionEntry OPTIONS[] = {
    {SIMULATE, "--simulate"},
    {SCREENSHOT, "--screenshot", 0, lq3860::OptionValue::Required, "FILE", lq3860::CompleteAs::File},
    {VERBOSE, "--verbose", 'v'},
    {HELP, "--help", 'h'},
    {VERSION, "--version", 'V'},
};

constexpr const char* HELP_TEXT =
    "Usage: lq3860-utility [OPTION]...\n"
    "Configuration window for LQ-3860 Wi-Fi modules on USB.\n"
    "\n"
    "  --simulate         work with one simulated module instead of the attached\n"
    "                     hardware\n"
    "  --screenshot FILE  render the main window after start-up to the PNG FILE\n"
    "                     and exit (off-screen unless QT_QPA_PLATFORM names a\n"
    "                     platform)\n"
    "  -v, --verbose      the link's debug texts (\"HID_Open\", \"OK\", \"NG\", ...) to\n"
    "                     stderr as they happen\n"
    "  -h, --help         show this text\n"
    "  -V, --version      show the program's version\n"
    "Options take their value as --option VALUE or --option=VALUE.\n";

struct Options {
    bool simulate = false;
    bool verbose = false;
    QString screenshotPath;
};

// Parsed before the window system is touched, so --help, --version and a
// wrong command line need no display. Ends the process for those.
Options ParseOptions(int argc, char** argv) {
    const lq3860::ParsedArguments parsed = lq3860::ParseArguments(OPTIONS, lq3860::ProgramArguments(argc, argv));
    std::string error = parsed.error;
    Options options;
    bool help = false, version = false;
    for (const lq3860::ParsedArgument& item : parsed.items) {
        if (item.option == nullptr && error.empty()) error = lq3860::UnexpectedArgumentError(item.value);
        if (item.option == nullptr) continue;
        switch (item.option->id) {
            case HELP: help = true; break;
            case VERSION: version = true; break;
            case VERBOSE: options.verbose = true; break;
            case SIMULATE: options.simulate = true; break;
            default:
                if (item.value.empty() && error.empty()) error = "--screenshot needs a FILE";
                options.screenshotPath = QString::fromStdString(item.value);
        }
    }
    if (!error.empty()) {
        std::fputs(lq3860::UsageErrorText(lq3860::APPLICATION_NAME, lq3860::EscapeControlsForTerminal(error)).c_str(),
                   stderr);
        std::exit(lq3860::USAGE_ERROR_STATUS);
    }
    if (help || version) {
        std::fputs(help ? HELP_TEXT : "lq3860-utility " LQ3860_VERSION "\n", stdout);
        std::exit(lq3860::FinishStandardOutput(lq3860::APPLICATION_NAME, EXIT_SUCCESS));
    }
    return options;
}

// Qt ends the process with a fatal message when no platform (no display)
// can be opened; the program says so in its own words and exits with 1.
// The platform plugins' own complaints while it tries are left out.
void StartUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs(
            "lq3860-utility: no display could be opened (set DISPLAY or WAYLAND_DISPLAY, "
            "or QT_QPA_PLATFORM)\n",
            stderr);
        std::_Exit(EXIT_FAILURE);
    }
    if (context.category != nullptr && QString::fromLatin1(context.category).startsWith("qt.qpa")) return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    // A screenshot needs no screen: render off-screen where there is none.
    if (!options.screenshotPath.isEmpty() && !lq3860::HostHasDisplay() &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    const QtMessageHandler previous = qInstallMessageHandler(StartUpMessages);
    lq3860::CUtilityApp app(argc, argv, options.simulate, options.verbose);
    qInstallMessageHandler(previous);
    if (!app.InitInstance(options.screenshotPath)) {
        const std::string path = lq3860::EscapeControlsForTerminal(options.screenshotPath.toStdString());
        std::fprintf(stderr, "lq3860-utility: cannot write the screenshot %s\n", path.c_str());
        return 1;
    }
    return 0;
}
