#include "window_fixture.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include "device/debug_output.h"
#include "device/hid_device_table.h"
#include "maclookup/mac_handoff.h"
#include "params/module_params.h"
#include "ui/signal_lamps.h"

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

void WindowTest::OpenWindow() {
    window.reset();  // one window at a time
    window = std::make_unique<CUtilityDlg>();
    window->Timer()->stop();
}

QStringList WindowTest::Items(int id) const {
    QStringList items;
    for (int i = 0; i < Combo(id)->count(); ++i) items << Combo(id)->itemText(i);
    return items;
}

QStringList WindowTest::Shown(std::initializer_list<int> ids) const {
    QStringList texts;
    for (int id : ids) {
        QWidget* control = Control<QWidget>(id);
        if (auto* combo = qobject_cast<QComboBox*>(control)) texts << combo->currentText();
        if (auto* edit = qobject_cast<QLineEdit*>(control)) texts << edit->text();
        if (auto* label = qobject_cast<QLabel*>(control)) texts << label->text();
    }
    return texts;
}

bool WindowTest::DebugSaid(const std::string& text) const {
    return std::find(debug.begin(), debug.end(), text) != debug.end();
}

void WindowTest::Choose(int comboId, int position) {
    Combo(comboId)->setCurrentIndex(position);
    emit Combo(comboId)->activated(position);
}

void WindowTest::Leave(int editId, Qt::FocusReason reason) {
    QFocusEvent event(QEvent::FocusOut, reason);
    QApplication::sendEvent(Edit(editId), &event);
}

void WindowTest::Type(int editId, const QString& text) {
    Edit(editId)->end(false);
    QTest::keyClicks(Edit(editId), text);
}

// Widget tests run without a display on Qt's offscreen platform.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("lq3860-utility"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
