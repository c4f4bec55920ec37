#include "ui/utility_app.h"

#include <QLoggingCategory>
#include <QPixmap>

#include "device/debug_output.h"
#include "device/hid_device_table.h"
#include "device/hidapi_platform.h"
#include "device/simulated_platform.h"
#include "lq3860_version.h"
#include "ui/ui_resources.h"
#include "ui/utility_dlg.h"

// Off unless QT_LOGGING_RULES="lq3860.debug=true".
Q_LOGGING_CATEGORY(lq3860Debug, "lq3860.debug", QtWarningMsg)

CUtilityApp::CUtilityApp(int& argc, char** argv)
    : QApplication(argc, argv), services_(QString::fromLatin1(APPLICATION_NAME)) {
    setApplicationName(QString::fromLatin1(APPLICATION_NAME));
    setApplicationVersion(QStringLiteral(LQ3860_VERSION));
    // The Wayland app id: desktops find the menu entry and icon by it.
    setDesktopFileName(QStringLiteral(LQ3860_APP_ID));
    InitUiResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/lq3860-utility.png")));
    previousServices_ = SetServices(&services_);
    SetDebugSink([](std::string_view text) {
        qCDebug(lq3860Debug).noquote() << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    });
}

CUtilityApp::~CUtilityApp() {
    HID_Close();
    HID_ClearList();
    HID_UsePlatform(nullptr);
    SetDebugSink(nullptr);
    SetServices(previousServices_);
}

void CUtilityApp::UsePlatform(bool simulate) {
    if (simulate) {
        auto simulated = std::make_unique<SimulatedPlatform>();
        simulated->AddModule(std::u16string(u"LQ-3860 (simulated)"));
        platform_ = std::move(simulated);
    } else {
        platform_ = std::make_unique<HidapiPlatform>();
    }
    HID_UsePlatform(platform_.get());
}

bool CUtilityApp::InitInstance(const QString& screenshotPath) {
    CUtilityDlg window;
    if (screenshotPath.isEmpty()) {
        window.exec();  // the result does not matter: closing ends the program
        return true;
    }
    window.show();
    processEvents();
    return window.grab().save(screenshotPath, "PNG");
}
