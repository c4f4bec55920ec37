#include "ui/utility_app.h"

#include <QLoggingCategory>
#include <QPixmap>

#include "device/host_hid_platform.h"
#include "simulation/simulated_platform.h"
#include "ui/ui_resources.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

// Off unless QT_LOGGING_RULES="lq3860.debug=true".
Q_LOGGING_CATEGORY(lq3860Debug, "lq3860.debug", QtWarningMsg)

namespace {

std::unique_ptr<HidPlatform> MakePlatform(bool simulate) {
    if (!simulate) return HostHidPlatform();
    auto simulated = std::make_unique<SimulatedPlatform>();
    simulated->AddModule(std::u16string(u"LQ-3860 (simulated)"));
    return simulated;
}

}  // namespace

CUtilityApp::CUtilityApp(int& argc, char** argv, bool simulate)
    : QApplication(argc, argv),
      services_(QString::fromLatin1(APPLICATION_NAME)),
      platform_(MakePlatform(simulate)),
      session_(std::make_unique<Session>(platform_.get(), &services_)) {
    setApplicationName(QString::fromLatin1(APPLICATION_NAME));
    setApplicationVersion(QStringLiteral(LQ3860_VERSION));
    InitUiResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/lq3860-utility.png")));
    session_->debugOutput.SetSink([](std::string_view text) {
        qCDebug(lq3860Debug).noquote() << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    });
}

bool CUtilityApp::InitInstance(const QString& screenshotPath) {
    CUtilityDlg window(*session_);
    if (screenshotPath.isEmpty()) {
        window.exec();  // the result does not matter: closing ends the program
        return true;
    }
    window.show();
    processEvents();
    return window.grab().save(screenshotPath, "PNG");
}

}  // namespace lq3860
