// SPDX-License-Identifier: MIT
#pragma once
// The application: Qt set-up, the HID platform, and the session the main
// window works on, with the Qt services and the debug channel.
#include <QApplication>
#include <QString>

#include <memory>

#include "device/hid_platform.h"
#include "device/hotplug_monitor.h"
#include "session/session.h"
#include "ui/qt_user_services.h"

namespace lq3860 {

inline constexpr const char* APPLICATION_NAME = "lq3860-utility";

class CUtilityApp : public QApplication {
    Q_OBJECT
public:
    // simulate: one simulated module instead of real hardware; verbose: the
    // link's debug texts to stderr instead of the logging category. With real
    // hardware the window follows the host's device events where there are any.
    CUtilityApp(int& argc, char** argv, bool simulate, bool verbose = false);

    // Runs the main window until it closes. With a screenshot path the
    // window is rendered to that PNG file after start-up instead; false
    // when the file could not be written.
    bool InitInstance(const QString& screenshotPath = QString());

private:
    // In this order, so the session goes before the platform and services it uses.
    QtUserServices services_;
    std::unique_ptr<HidPlatform> platform_;
    std::unique_ptr<HotplugMonitor> deviceEvents_;  // null: none to be had
    std::unique_ptr<Session> session_;
};

}  // namespace lq3860
