#pragma once
// A main window on simulated modules, with recorded messages, file dialog
// answers and debug texts: no person, no sleeping, no hardware.
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "session/session.h"
#include "session/user_services.h"
#include "simulation/simulated_platform.h"
#include "ui/control_ids.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

using Texts = std::vector<std::string>;

class RecordingServices : public UserServices {
public:
    void WindowMessage(const std::string& text) override {
        messages.push_back(text);
        if (duringMessage) duringMessage();  // runs while the message is "open"
    }
    void ApplicationMessage(const std::string& text, bool) override { messages.push_back(text); }
    std::string AskOpenFileName(const std::string& filter) override { return Answer("open " + filter); }
    std::string AskSaveFileName(const std::string& filter, const std::string& suffix) override {
        return Answer("save " + filter + " " + suffix);
    }
    // Messages in order; file dialog answers in order ("" = cancel); the dialogs asked for.
    Texts messages, fileAnswers, fileDialogs;
    std::function<void()> duringMessage;

private:
    std::string Answer(const std::string& dialog) {
        fileDialogs.push_back(dialog);
        return fileDialogs.size() <= fileAnswers.size() ? fileAnswers[fileDialogs.size() - 1] : std::string();
    }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Waits are recorded, not slept, in one sequence with the bar's positions.
        session.pause.Replace([this](unsigned ms) { steps.push_back("wait " + std::to_string(ms)); });
        platform.readWait.Replace([this](unsigned ms) { steps.push_back("read " + std::to_string(ms)); });
        session.debugOutput.SetSink([this](std::string_view text) { debug.emplace_back(text); });
        OpenWindow();
    }

    // Builds the window (start-up runs) with its timer stopped: tests tick it.
    // The bar's positions are recorded ("at 250").
    void OpenWindow() {
        window.reset();  // one window at a time
        window = std::make_unique<CUtilityDlg>(session);
        window->Timer()->stop();
        auto* bar = Control<QProgressBar>(1010);
        QObject::connect(bar, &QProgressBar::valueChanged, bar,
                         [this](int value) { steps.push_back("at " + std::to_string(value)); });
    }

    template <typename T = QWidget>
    T* Control(int id) const {
        T* control = window->findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    QComboBox* Combo(int id) const { return Control<QComboBox>(id); }
    QLineEdit* Edit(int id) const { return Control<QLineEdit>(id); }
    QStringList Items(int id) const {
        QStringList items;
        for (int i = 0; i < Combo(id)->count(); ++i) items << Combo(id)->itemText(i);
        return items;
    }
    // Current texts of combos, edits and labels.
    QStringList Shown(std::initializer_list<int> ids) const {
        QStringList texts;
        for (int id : ids) {
            const QVariant current = Control(id)->property("currentText");  // a combo's
            texts << (current.isValid() ? current : Control(id)->property("text")).toString();
        }
        return texts;
    }
    QStringList MacTexts() const { return Shown({1009, 1012, 1013, 1014, 1015, 1016}); }  // left to right
    bool DebugSaid(const std::string& text) const { return std::count(debug.begin(), debug.end(), text) > 0; }

    // What the user does.
    void Choose(int comboId, int position) {
        Combo(comboId)->setCurrentIndex(position);
        emit Combo(comboId)->activated(position);
    }
    void Leave(int editId, Qt::FocusReason reason = Qt::TabFocusReason) {
        QFocusEvent event(QEvent::FocusOut, reason);
        QApplication::sendEvent(Edit(editId), &event);
    }
    void Type(int editId, const QString& text) {  // at the end of the text
        Edit(editId)->end(false);
        QTest::keyClicks(Edit(editId), text);
    }

    SimulatedPlatform platform;
    RecordingServices services;
    Session session{&platform, &services};
    // What the session holds, by the names the window's code uses.
    ModuleParamSet& ModuleParams = session.ModuleParams;
    MacHandOffRecord& MacHandOff = session.MacHandOff;
    std::uint8_t& signalLevel = session.signalLevel;
    std::uint8_t& shownSignalLevel = session.shownSignalLevel;
    Texts steps;  // waits, a read's wait for its time limit and bar positions, in order
    Texts debug;
    std::unique_ptr<CUtilityDlg> window;
};

// The same window with a simulated module (firmware 2.1 of 2013/07/15) selected.
class ConnectedWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        module = &platform.AddModule();
        module->module->Behaviour().SetFirmware('2', '1', "130715");
        OpenWindow();
        Choose(1001, 1);
        ASSERT_EQ(window->Link().deviceOpen, 1);
        module->written.clear();
        steps.clear();
    }
    SimulatedInterface* module = nullptr;
};

}  // namespace lq3860
