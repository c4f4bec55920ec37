#pragma once
// A main window on simulated modules, with recorded messages, file dialog
// answers, pauses and debug texts: no person, no sleeping, no hardware.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/pause.h"
#include "device/simulated_platform.h"
#include "ui/user_services.h"
#include "ui/utility_dlg.h"

using Texts = std::vector<std::string>;

class RecordingServices : public UserServices {
public:
    void WindowMessage(const std::string& text) override {
        messages.push_back(text);
        if (duringMessage) duringMessage();
    }
    void ApplicationMessage(const std::string& text, bool) override { messages.push_back(text); }
    std::string AskOpenFileName(const std::string& filter) override { return Answer("open " + filter); }
    std::string AskSaveFileName(const std::string& filter, const std::string& suffix) override {
        return Answer("save " + filter + " " + suffix);
    }

    Texts messages;                      // window and application messages, in order
    std::deque<std::string> fileAnswers; // next answers of the file dialogs ("" = cancel)
    Texts fileDialogs;                   // "open <filter>" or "save <filter> <suffix>"
    std::function<void()> duringMessage; // runs while a window message is "open"

private:
    std::string Answer(const std::string& dialog) {
        fileDialogs.push_back(dialog);
        if (fileAnswers.empty()) return std::string();
        std::string answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the window (start-up runs) with its timer stopped: tests tick it.
    void OpenWindow();

    template <typename T>
    T* Control(int id) const {
        T* control = window->findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    QComboBox* Combo(int id) const { return Control<QComboBox>(id); }
    QLineEdit* Edit(int id) const { return Control<QLineEdit>(id); }
    QStringList Items(int id) const;
    QStringList MacTexts() const { return Shown({1009, 1012, 1013, 1014, 1015, 1016}); }  // left to right
    QStringList Shown(std::initializer_list<int> ids) const;  // current texts of combos, edits and labels
    bool DebugSaid(const std::string& text) const;

    // What the user does.
    void Choose(int comboId, int position);
    void Leave(int editId, Qt::FocusReason reason = Qt::TabFocusReason);
    void Type(int editId, const QString& text);  // at the end of the text

    SimulatedPlatform platform;
    RecordingServices services;
    std::vector<unsigned> pauses;
    Texts debug;
    std::unique_ptr<CUtilityDlg> window;

private:
    UserServices* previousServices_ = nullptr;
    PauseFunction previousPause_;
};
