// lq3860-utility: the LQ-3860 configuration window.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include "lq3860_version.h"
#include "ui/utility_app.h"

namespace {

struct Options {
    bool simulate = false;
    QString screenshotPath;
};

// Parsed before the window system is touched, so --help and --version work
// without a display.
Options ParseOptions(int& argc, char** argv) {
    QCoreApplication parsing(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(lq3860::APPLICATION_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(LQ3860_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configuration window for LQ-3860 Wi-Fi modules on USB."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"), QStringLiteral("Work with one simulated module instead of the attached hardware."));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Render the main window after start-up to the PNG <file> and exit."), QStringLiteral("file"));
    parser.addOption(simulate);
    parser.addOption(screenshot);
    parser.process(parsing);  // ends the process for --help, --version and unknown options
    return {parser.isSet(simulate), parser.value(screenshot)};
}

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    // A screenshot needs no screen: render off-screen where there is none.
    if (!options.screenshotPath.isEmpty() && !HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    lq3860::CUtilityApp app(argc, argv, options.simulate);
    if (!app.InitInstance(options.screenshotPath)) {
        QTextStream(stderr) << "Cannot write the screenshot " << options.screenshotPath << "\n";
        return 1;
    }
    return 0;
}
