// lq3860-utility: the LQ-3860 configuration window.
#include <QCommandLineParser>
#include <QTextStream>

#include "ui/utility_app.h"

int main(int argc, char** argv) {
    CUtilityApp app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configuration window for LQ-3860 Wi-Fi modules on USB."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Work with one simulated module instead of the attached hardware."));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Render the main window after start-up to the PNG <file> and exit."), QStringLiteral("file"));
    parser.addOption(simulate);
    parser.addOption(screenshot);
    parser.process(app);

    app.UsePlatform(parser.isSet(simulate));
    if (!app.InitInstance(parser.value(screenshot))) {
        QTextStream(stderr) << "Cannot write the screenshot " << parser.value(screenshot) << "\n";
        return 1;
    }
    return 0;
}
