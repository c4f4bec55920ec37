// SPDX-License-Identifier: MIT
#pragma once
// The services through which windows talk to the user outside their own
// controls: message boxes and file dialogs. The application gives its session
// the Qt implementation; tests give one that records the texts and answers.
#include <string>

namespace lq3860 {

class UserServices {
public:
    virtual ~UserServices() = default;
    // The window's own message box: OK only, no icon, the application's name as caption.
    virtual void WindowMessage(const std::string& text) = 0;
    // The application message box: OK only, with the error icon when asked.
    virtual void ApplicationMessage(const std::string& text, bool errorIcon) = 0;
    // File dialogs; an empty result means the user cancelled.
    // filter is in Qt's form, for instance "Txt file(*.txt)".
    virtual std::string AskOpenFileName(const std::string& filter) = 0;
    virtual std::string AskSaveFileName(const std::string& filter, const std::string& defaultSuffix) = 0;
};

// For sessions without a person: messages go nowhere, file dialogs are cancelled.
class NoUserServices final : public UserServices {
public:
    void WindowMessage(const std::string&) override {}
    void ApplicationMessage(const std::string&, bool) override {}
    std::string AskOpenFileName(const std::string&) override { return {}; }
    std::string AskSaveFileName(const std::string&, const std::string&) override { return {}; }
};

}  // namespace lq3860
