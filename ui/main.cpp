// SPDX-License-Identifier: MIT
// lq3860-utility: the LQ-3860 configuration window.
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "device/terminal_text.h"
#include "lq3860_version.h"
#include "program/options.h"
#include "program/program_arguments.h"
#include "program/standard_output.h"
#include "ui/host_display.h"
#include "ui/start_up_messages.h"
#include "ui/utility_app.h"
#include "ui/window_options.h"

namespace {

struct Options {
    bool simulate = false;
    bool verbose = false;
    QString screenshotPath;
};

// Parsed before the window system is touched, so --help, --version and a
// wrong command line need no display. Ends the process for those.
Options ParseOptions(int argc, char** argv) {
    const lq3860::ParsedArguments parsed =
        lq3860::ParseArguments(lq3860::ListOptions(lq3860::WindowOptions()), lq3860::ProgramArguments(argc, argv));
    std::string error = parsed.error;
    Options options;
    bool help = false, version = false;
    for (const lq3860::ParsedArgument& item : parsed.items) {
        if (item.option == nullptr && error.empty()) error = lq3860::UnexpectedArgumentError(item.value);
        if (item.option == nullptr) continue;
        switch (lq3860::RowOf(lq3860::WindowOptions(), item.option)->id) {
            case lq3860::WindowOption::Help: help = true; break;
            case lq3860::WindowOption::Version: version = true; break;
            case lq3860::WindowOption::Verbose: options.verbose = true; break;
            case lq3860::WindowOption::Simulate: options.simulate = true; break;
            case lq3860::WindowOption::Screenshot:
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
        std::fputs(help ? lq3860::WindowHelpText().c_str() : "lq3860-utility " LQ3860_VERSION "\n", stdout);
        std::exit(lq3860::FinishStandardOutput(lq3860::APPLICATION_NAME, EXIT_SUCCESS));
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    // A screenshot needs no screen: render off-screen where there is none.
    if (!options.screenshotPath.isEmpty() && !lq3860::HostHasDisplay() &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    const QtMessageHandler previous = qInstallMessageHandler(lq3860::StartUpMessages);
    lq3860::CUtilityApp app(argc, argv, options.simulate, options.verbose);
    qInstallMessageHandler(previous);
    if (!app.InitInstance(options.screenshotPath)) {
        const std::string path = lq3860::EscapeControlsForTerminal(options.screenshotPath.toStdString());
        std::fprintf(stderr, "lq3860-utility: cannot write the screenshot %s\n", path.c_str());
        return 1;
    }
    return 0;
}
