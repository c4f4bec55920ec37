// SPDX-License-Identifier: MIT
#include "ui/utility_app.h"

#include <QComboBox>
#include <QPixmap>

#include "device/host_hid_platform.h"
#include "lq3860_version.h"
#include "simulated_module/simulated_platform.h"
#include "ui/control_ids.h"
#include "ui/debug_channel.h"
#include "ui/ui_resources.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

namespace {

std::unique_ptr<HidPlatform> MakePlatform(bool simulate) {
    if (!simulate) return HostHidPlatform();
    auto simulated = std::make_unique<SimulatedPlatform>();
    simulated->AddModule();
    return simulated;
}

}  // namespace

CUtilityApp::CUtilityApp(int& argc, char** argv, bool simulate, bool verbose)
    : QApplication(argc, argv),
      services_(QString::fromLatin1(APPLICATION_NAME)),
      platform_(MakePlatform(simulate)),
      deviceEvents_(simulate ? nullptr : OpenHostHotplugMonitor()),
      session_(std::make_unique<Session>(platform_.get(), &services_)) {
    setApplicationName(QString::fromLatin1(APPLICATION_NAME));
    setApplicationVersion(QStringLiteral(LQ3860_VERSION));
    // The Wayland app id: desktops find the menu entry and icon by it.
    setDesktopFileName(QStringLiteral(LQ3860_APP_ID));
    setWindowIcon(ApplicationIcon());
    session_->debugOutput.SetSink(WindowDebugSink(verbose));
}

bool CUtilityApp::InitInstance(const QString& screenshotPath) {
    CUtilityDlg window(*session_);
    if (deviceEvents_) window.WatchDeviceEvents(*deviceEvents_);
    if (screenshotPath.isEmpty()) {
        window.exec();  // the result does not matter: closing ends the program
        return true;
    }
    window.show();
    // The picture shows a user's first step: the list as the first tick
    // fills it, and the first module in it chosen, with its firmware texts.
    window.OnTimer();
    auto* devices = window.findChild<QComboBox*>(QString::number(control_id::SELECT_DEVICE));
    if (devices != nullptr && devices->count() > 1) {
        devices->setCurrentIndex(1);
        window.OnSelectDevice();
    }
    processEvents();
    return window.grab().save(screenshotPath, "PNG");
}

}  // namespace lq3860
