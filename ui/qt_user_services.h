// SPDX-License-Identifier: MIT
#pragma once
// The user services on Qt Widgets: QMessageBox and QFileDialog, owned by
// the window that is active when they are asked for.
#include <QString>

#include "session/user_services.h"

namespace lq3860 {

class QtUserServices : public UserServices {
public:
    // The caption of every message box: the program's name.
    explicit QtUserServices(QString caption);

    void WindowMessage(const std::string& text) override;
    void ApplicationMessage(const std::string& text, bool errorIcon) override;
    std::string AskOpenFileName(const std::string& filter) override;
    std::string AskSaveFileName(const std::string& filter, const std::string& defaultSuffix) override;

private:
    QString caption_;
};

}  // namespace lq3860
