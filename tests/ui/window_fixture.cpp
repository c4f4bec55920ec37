#include "window_fixture.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <QTimer>

#include "device/debug_output.h"
#include "device/hid_device_table.h"
#include "maclookup/mac_handoff.h"
#include "params/module_params.h"
#include "ui/signal_lamps.h"

void RecordingServices::WindowMessage(const std::string& text) {
    messages.push_back(text);
    if (duringMessage) duringMessage();
}

void RecordingServices::ApplicationMessage(const std::string& text, bool) {
    messages.push_back(text);
}

std::string RecordingServices::AskOpenFileName(const std::string& filter) {
    openFilters.push_back(filter);
    if (fileAnswers.empty()) return std::string();
    std::string answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::string RecordingServices::AskSaveFileName(const std::string& filter, const std::string& defaultSuffix) {
    saveFilters.push_back(filter);
    saveSuffixes.push_back(defaultSuffix);
    if (fileAnswers.empty()) return std::string();
    std::string answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

void WindowTest::SetUp() {
    // Process-wide state starts as at program start.
    ModuleParams = ModuleParamSet{};
    MacHandOff = MacHandOffRecord{};
    signalLevel = 0;
    shownSignalLevel = 0;
    HID_Close();
    HID_ClearList();
    HID_UsePlatform(&platform);
    previousServices_ = SetServices(&services);
    previousPause_ = SetPauseFunction([this](unsigned ms) { pauses.push_back(ms); });
    SetDebugSink([this](std::string_view text) { debug.emplace_back(text); });
}

void WindowTest::TearDown() {
    window.reset();
    HID_Close();
    HID_ClearList();
    HID_UsePlatform(nullptr);
    SetDebugSink(nullptr);
    SetPauseFunction(previousPause_);
    SetServices(previousServices_);
}

CUtilityDlg& WindowTest::OpenWindow() {
    window = std::make_unique<CUtilityDlg>();
    window->Timer()->stop();
    return *window;
}

QStringList WindowTest::Items(int id) const {
    QStringList items;
    QComboBox* combo = Combo(id);
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

QStringList WindowTest::MacTexts() const {
    QStringList texts;
    for (int id : MAC_IDS) texts << Edit(id)->text();
    return texts;
}

void WindowTest::Choose(int comboId, int position) {
    QComboBox* combo = Combo(comboId);
    combo->setCurrentIndex(position);
    emit combo->activated(position);
}

void WindowTest::Leave(int editId) {
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Edit(editId), &event);
}

void WindowTest::Type(int editId, const QString& text) {
    QLineEdit* edit = Edit(editId);
    edit->setCursorPosition(static_cast<int>(edit->text().size()));
    QTest::keyClicks(edit, text);
}

void WindowTest::ReplaceText(int editId, const QString& text) {
    Edit(editId)->selectAll();
    QTest::keyClicks(Edit(editId), text);
}

int WindowTest::WrittenCount(std::size_t interfacePosition) {
    return static_cast<int>(platform.Interface(interfacePosition).written.size());
}

bool WindowTest::DebugSaid(const std::string& text) const {
    for (const std::string& line : debug)
        if (line == text) return true;
    return false;
}
