// SPDX-License-Identifier: MIT
#pragma once
// A main window on simulated modules, with recorded messages, file dialog
// answers and debug texts: no person, no sleeping, no hardware.
#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include "session/session.h"
#include "simulated_module/simulated_platform.h"
#include "ui/control_ids.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

namespace id = control_id;
using Texts = std::vector<std::string>;

// Messages of the main window as their texts; the application's message
// boxes (the Get MAC Address dialog's) as "box: " or "error box: " and the text.
class RecordingServices : public UserServices {
public:
    void WindowMessage(const std::string& text) override {
        messages.push_back(text);
        if (duringMessage) duringMessage();  // runs while the message is "open"
    }
    void ApplicationMessage(const std::string& text, bool errorIcon) override {
        messages.push_back((errorIcon ? "error box: " : "box: ") + text);
    }
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
        session.pause.Replace([](unsigned) {});  // waits are the procedures' tests' business
        platform.readWait.Replace([](unsigned) {});
        session.debugOutput.SetSink([this](std::string_view text) { debug.emplace_back(text); });
        OpenWindow();
    }

    // Builds and shows the window (start-up runs) with its timer stopped:
    // tests tick it. The bar's positions are recorded while it is shown.
    void OpenWindow() {
        window.reset();  // one window at a time
        window = std::make_unique<CUtilityDlg>(session);
        window->Timer()->stop();
        auto* bar = Control<QProgressBar>(control_id::PROGRESS);
        QObject::connect(bar, &QProgressBar::valueChanged, bar,
                         [this, bar](int value) { barPositions.push_back(bar->isVisible() ? value : -1); });
        ShowWindow();
    }
    void ShowWindow() {  // shown and active, so the focus can move between its controls
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    template <typename T = QWidget>
    T* Control(int id) const {
        T* control = window->findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    QComboBox* Combo(int id) const { return Control<QComboBox>(id); }
    QLineEdit* Edit(int id) const { return Control<QLineEdit>(id); }
    QLineEdit* MacEdit(std::size_t byte) const { return Edit(control_id::MAC_BYTES[byte]); }
    QStringList Items(int id) const {
        QStringList items;
        for (int i = 0; i < Combo(id)->count(); ++i) items << Combo(id)->itemText(i);
        return items;
    }
    // Current texts of combos, edits and labels, in the order of the ids.
    template <typename Ids = std::initializer_list<int>>
    QStringList Shown(const Ids& ids) const {
        QStringList texts;
        for (int id : ids) {
            const QVariant current = Control(id)->property("currentText");  // a combo's
            texts << (current.isValid() ? current : Control(id)->property("text")).toString();
        }
        return texts;
    }

    // What the user does, through the widgets and their events. Each step
    // first takes the focus as a click would, so the control that had it
    // loses it and runs its focus-lost rule, as on the screen.
    void Focus(QWidget* control) {
        control->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(control->hasFocus()) << control->objectName().toStdString();
    }
    void Click(int buttonId) { QTest::mouseClick(Control<QAbstractButton>(buttonId), Qt::LeftButton); }
    void Trigger(int command) { window->findChild<QAction*>(QString::number(command))->trigger(); }  // a menu command
    void Tick() { QMetaObject::invokeMethod(window->Timer(), "timeout"); }  // what the timer does every second
    // Opens the list with F4, walks to the position with the keys and takes it with Enter.
    void Choose(int comboId, int position) {
        Focus(Combo(comboId));
        QTest::keyClick(Combo(comboId), Qt::Key_F4);
        QAbstractItemView* list = Combo(comboId)->view();
        ASSERT_TRUE(list->isVisible()) << "list of " << comboId;
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < position; ++i) QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    }
    void Type(int editId, const QString& text, bool over = false) {  // at the end, or over the whole text
        Focus(Edit(editId));
        over ? Edit(editId)->selectAll() : Edit(editId)->end(false);
        QTest::keyClicks(Edit(editId), over && text.isEmpty() ? QString("\b") : text);
    }
    void Retype(int editId, const QString& text) { Type(editId, text, true); }  // "" empties the edit
    // Tab moves the focus on; focus taken by a menu or another window is sent as its event.
    void Leave(int editId, Qt::FocusReason reason = Qt::TabFocusReason) {
        Focus(Edit(editId));
        reason == Qt::TabFocusReason ? QTest::keyClick(Edit(editId), Qt::Key_Tab) : LoseFocus(editId, reason);
    }
    void LoseFocus(int editId, Qt::FocusReason reason) {  // the event alone, wherever the focus is
        QFocusEvent event(QEvent::FocusOut, reason);
        QApplication::sendEvent(Edit(editId), &event);
    }

    SimulatedPlatform platform;
    RecordingServices services;
    Session session{&platform, &services};
    const std::array<int, 6>& mac = id::MAC_BYTES;
    std::vector<int> barPositions;  // -1: set while the bar was hidden
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
        Choose(control_id::SELECT_DEVICE, 1);
        ASSERT_EQ(window->Link().deviceOpen, 1);
        module->written.clear();
    }
    ModuleBehaviour& Module() const { return module->module->Behaviour(); }
    SimulatedInterface* module = nullptr;
};

}  // namespace lq3860
