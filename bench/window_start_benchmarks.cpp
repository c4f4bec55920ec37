// SPDX-License-Identifier: MIT
// Start-up: wall time from starting a program to the first rendered frame of
// its window, the main window on one simulated module (as `lq3860-utility
// --simulate` starts it) beside a bare Qt dialog with as many controls of the
// same kinds. Each iteration starts this program again in the role of the
// one or the other, so what a start costs only once counts as well. Runs on
// Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

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

// The main window's controls by kind and number, placed by hand, with
// nothing else to do: 10 group boxes, 4 lists, 8 edits, 12 labels, 4
// buttons, a progress bar and a menu bar.
std::unique_ptr<QDialog> BareDialog() {
    auto dialog = std::make_unique<QDialog>();
    auto* layout = new QVBoxLayout(dialog.get());
    auto* menuBar = new QMenuBar(dialog.get());
    menuBar->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("Load"));
    menuBar->addAction(QStringLiteral("&About"));
    layout->setMenuBar(menuBar);
    auto* client = new QWidget(dialog.get());
    client->setFixedSize(500, 420);
    layout->addWidget(client);
    int place = 0;
    auto add = [&place](QWidget* control) {
        control->setGeometry(10 + place % 4 * 120, 10 + place / 4 * 40, 110, 30);
        ++place;
    };
    for (int i = 0; i < 10; ++i) add(new QGroupBox(QStringLiteral("Group"), client));
    for (int i = 0; i < 4; ++i) add(new QComboBox(client));
    for (int i = 0; i < 8; ++i) add(new QLineEdit(QStringLiteral("FF"), client));
    for (int i = 0; i < 12; ++i) add(new QLabel(QStringLiteral("Label"), client));
    for (int i = 0; i < 4; ++i) add(new QPushButton(QStringLiteral("Button"), client));
    add(new QProgressBar(client));
    return dialog;
}

// The program in one role: shows its window, runs the event loop until the
// window has painted, and ends; it prints the number of widgets it made.
int ShowFirstFrame(int argc, char** argv, bool mainWindow) {
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
        window = BareDialog();
    }
    FirstPaint watch(window.get());
    window->show();
    while (!watch.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("%lld\n", static_cast<long long>(window->findChildren<QWidget*>().size()));
    return 0;
}

// Starts this program (`self`) in the role and waits until it has ended.
void FirstFrame(benchmark::State& state, const QString& self, const char* role) {
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
        state.counters["widgets"] = program.readAllStandardOutput().trimmed().toDouble();
    }
}

}  // namespace

}  // namespace lq3860

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::size_t optionLength = std::strlen(lq3860::ROLE_OPTION);
    if (argc == 2 && std::strncmp(argv[1], lq3860::ROLE_OPTION, optionLength) == 0)
        return lq3860::ShowFirstFrame(argc, argv, std::strcmp(argv[1] + optionLength, "main") == 0);
    const QString self = QString::fromLocal8Bit(argv[0]);
    for (const char* role : {"bare", "main"}) {
        ::benchmark::RegisterBenchmark(role[0] == 'b' ? "FirstFrame/bare_dialog" : "FirstFrame/main_window",
                                       [self, role](benchmark::State& state) { lq3860::FirstFrame(state, self, role); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(3.0);
    }
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
