#pragma once
// The application: Qt set-up, the services the windows use, the debug
// channel and the HID platform, then the main window.
#include <QApplication>
#include <QString>

#include <memory>

#include "device/hid_platform.h"
#include "ui/qt_user_services.h"

inline constexpr const char* APPLICATION_NAME = "lq3860-utility";

class CUtilityApp : public QApplication {
    Q_OBJECT
public:
    CUtilityApp(int& argc, char** argv);
    ~CUtilityApp() override;

    // simulate: one simulated module instead of real hardware.
    void UsePlatform(bool simulate);
    // Runs the main window until it closes. With a screenshot path the
    // window is rendered to that PNG file after start-up instead; false
    // when the file could not be written.
    bool InitInstance(const QString& screenshotPath = QString());

private:
    QtUserServices services_;
    UserServices* previousServices_;
    std::unique_ptr<HidPlatform> platform_;
};
