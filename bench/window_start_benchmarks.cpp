// SPDX-License-Identifier: MIT
// Start-up: wall time from starting a program to the first rendered frame of
// its window, the main window on one simulated module (as `lq3860-utility
// --simulate` starts it) beside a bare Qt dialog with as many controls of the
// same kinds, as large as the main window once that has run (painting costs
// by the pixel). Each iteration starts this program again in the role of the
// one or the other, so what a start costs only once counts as well. Runs on
// Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise. The whole
// program's start-up measured from outside: scripts/measure-start-up.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "bare_dialog.h"
#include "session/session.h"
#include "simulated_module/simulated_platform.h"
#include "ui/qt_user_services.h"
#include "ui/ui_resources.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

namespace {

constexpr const char* ROLE_OPTION = "--first-frame-of=";

// Notes the window's first paint.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) { window->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// The program in one role: shows its window (the bare dialog of `bareSize`
// pixels), runs the event loop until the window has painted, and ends; it
// prints the number of widgets it made and the window's width and height.
int ShowFirstFrame(int argc, char** argv, bool mainWindow, QSize bareSize) {
    QApplication app(argc, argv);
    SimulatedPlatform platform;
    QtUserServices services(QStringLiteral("lq3860-utility"));
    std::unique_ptr<Session> session;
    std::unique_ptr<QDialog> window;
    if (mainWindow) {  // what CUtilityApp does with --simulate before the window runs
        app.setWindowIcon(ApplicationIcon());
        platform.AddModule();  // the simulated module, under its own name
        session = std::make_unique<Session>(&platform, &services);
        window = std::make_unique<CUtilityDlg>(*session);
    } else {
        window = BareDialog(bareSize);
    }
    FirstPaint watch(window.get());
    window->show();
    while (!watch.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("%lld %d %d\n", static_cast<long long>(window->findChildren<QWidget*>().size()), window->width(),
                window->height());
    return 0;
}

// Starts this program (`self`) in the role and waits until it has ended;
// `windowSize`, where given, receives the size of the window it showed.
void FirstFrame(benchmark::State& state, const QString& self, const QString& role, QSize* windowSize = nullptr) {
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QProcess program;
        program.start(self, {QString::fromLatin1(ROLE_OPTION) + role});
        if (!program.waitForFinished(30000) || program.exitCode() != 0) {
            state.SkipWithError("the program did not show its window");
            break;
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        const QStringList printed = QString::fromLatin1(program.readAllStandardOutput()).split(u' ');
        state.counters["widgets"] = printed.value(0).toDouble();
        if (windowSize != nullptr) *windowSize = QSize(printed.value(1).toInt(), printed.value(2).toInt());
    }
}

}  // namespace

}  // namespace lq3860

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The roles: "main", or "bare WIDTHxHEIGHT".
    const std::size_t optionLength = std::strlen(lq3860::ROLE_OPTION);
    if (argc == 2 && std::strncmp(argv[1], lq3860::ROLE_OPTION, optionLength) == 0) {
        const QStringList role = QString::fromLatin1(argv[1] + optionLength).split(u' ');
        const QStringList size = role.value(1).split(u'x');
        return lq3860::ShowFirstFrame(argc, argv, role.value(0) == "main",
                                      QSize(size.value(0).toInt(), size.value(1).toInt()));
    }
    const QString self = QString::fromLocal8Bit(argv[0]);
    // The main window first: the bare dialog is then made as large. Run on
    // its own, the bare dialog has BareDialog's own size.
    QSize mainSize = lq3860::BARE_DIALOG_SIZE;
    ::benchmark::RegisterBenchmark("FirstFrame/main_window",
                                   [self, &mainSize](benchmark::State& state) {
                                       lq3860::FirstFrame(state, self, QStringLiteral("main"), &mainSize);
                                   })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->MinTime(3.0);
    ::benchmark::RegisterBenchmark(
        "FirstFrame/bare_dialog",
        [self, &mainSize](benchmark::State& state) {
            lq3860::FirstFrame(state, self, QStringLiteral("bare %1x%2").arg(mainSize.width()).arg(mainSize.height()));
        })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->MinTime(3.0);
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
