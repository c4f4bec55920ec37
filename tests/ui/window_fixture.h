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
#include <memory>
#include <string>
#include <vector>

#include "device/pause.h"
#include "device/simulated_platform.h"
#include "ui/user_services.h"
#include "ui/utility_dlg.h"

class RecordingServices : public UserServices {
public:
    void WindowMessage(const std::string& text) override;
    void ApplicationMessage(const std::string& text, bool errorIcon) override;
    std::string AskOpenFileName(const std::string& filter) override;
    std::string AskSaveFileName(const std::string& filter, const std::string& defaultSuffix) override;

    std::vector<std::string> messages;        // window messages, in order
    std::deque<std::string> fileAnswers;      // next answers of the file dialogs ("" = cancel)
    std::vector<std::string> openFilters;
    std::vector<std::string> saveFilters;
    std::vector<std::string> saveSuffixes;
    std::function<void()> duringMessage;      // runs while a message is "open"
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the window (start-up runs) with its timer stopped: tests tick it.
    CUtilityDlg& OpenWindow();

    template <typename T>
    T* Control(int id) const {
        T* control = window->findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    QComboBox* Combo(int id) const { return Control<QComboBox>(id); }
    QLineEdit* Edit(int id) const { return Control<QLineEdit>(id); }
    QStringList Items(int id) const;
    QStringList MacTexts() const;

    // What the user does.
    void Choose(int comboId, int position);
    void Leave(int editId);
    void Type(int editId, const QString& text);
    void ReplaceText(int editId, const QString& text);  // select all, then type

    int WrittenCount(std::size_t interfacePosition);
    bool DebugSaid(const std::string& text) const;

    SimulatedPlatform platform;
    RecordingServices services;
    std::vector<unsigned> pauses;
    std::vector<std::string> debug;
    std::unique_ptr<CUtilityDlg> window;

    static constexpr int MAC_IDS[6] = {1009, 1012, 1013, 1014, 1015, 1016};

private:
    UserServices* previousServices_ = nullptr;
    PauseFunction previousPause_;
};
