// SPDX-License-Identifier: MIT
// lq3860-utility: the LQ-3860 configuration window.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include "lq3860_version.h"
#include "ui/host_display.h"
#include "ui/utility_app.h"

namespace {

struct Options {
    bool simulate = false;
    bool verbose = false;
    QString screenshotPath;
};

// Parsed before the window system is touched, so --help and --version work
// without a display. The conventions are those of lq3860ctl and lq3860-sim:
// -h/--help, -V/--version, -v/--verbose, --option VALUE or --option=VALUE.
Options ParseOptions(int& argc, char** argv) {
    QCoreApplication parsing(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(lq3860::APPLICATION_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(LQ3860_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configuration window for LQ-3860 Wi-Fi modules on USB."));
    parser.addHelpOption();
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption verbose(
        {QStringLiteral("v"), QStringLiteral("verbose")},
        QStringLiteral("The link's debug texts (\"HID_Open\", \"OK\", \"NG\", ...) to stderr as they happen."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"), QStringLiteral("Work with one simulated module instead of the attached hardware."));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Render the main window after start-up to the PNG <file> and exit."), QStringLiteral("file"));
    parser.addOptions({version, verbose, simulate, screenshot});
    parser.process(parsing);  // ends the process for --help and unknown options
    if (parser.isSet(version)) parser.showVersion();
    return {parser.isSet(simulate), parser.isSet(verbose), parser.value(screenshot)};
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    // A screenshot needs no screen: render off-screen where there is none.
    if (!options.screenshotPath.isEmpty() && !lq3860::HostHasDisplay() &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    lq3860::CUtilityApp app(argc, argv, options.simulate, options.verbose);
    if (!app.InitInstance(options.screenshotPath)) {
        QTextStream(stderr) << "Cannot write the screenshot " << options.screenshotPath << "\n";
        return 1;
    }
    return 0;
}
