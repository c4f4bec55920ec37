#pragma once
// The services through which windows talk to the user outside their own
// controls: message boxes and file dialogs. The application installs the
// Qt implementation; tests install one that records the texts and answers.
#include <string>

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

// The installed services (never null after the application has started).
UserServices& Services();
// Installs services (not owned) and returns the previous ones.
UserServices* SetServices(UserServices* services);
