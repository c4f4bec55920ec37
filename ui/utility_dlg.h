// SPDX-License-Identifier: MIT
#pragma once
// The main window: device selection, the parameter fields with their rules,
// firmware and signal display, Read/Write para and the configuration file.
// It works on one session: the modules, the link and the parameter set are
// the session's. The handlers are public so that the timer tick and the
// tests can run them; the controls run them through their events.
#include <QDialog>
#include <QIcon>
#include <QString>

#include <array>
#include <cstdint>
#include <string>

#include "device/hotplug_monitor.h"
#include "params/field_rules.h"
#include "session/session.h"
#include "types/hid_report.h"
#include "types/module_params.h"
#include "ui/signal_lamps.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QTimer;

namespace lq3860 {

class DeviceEventWatch;

class CUtilityDlg : public QDialog {
    Q_OBJECT
public:
    explicit CUtilityDlg(Session& session, QWidget* parent = nullptr);
    ~CUtilityDlg() override;

    static constexpr int TIMER_PERIOD_MS = 1000;
    static constexpr int KEY_LIMIT = static_cast<int>(KEY_SENT_LENGTH);
    static constexpr int SSID_LIMIT = static_cast<int>(SSID_SENT_LENGTH);
    static constexpr int MAC_LIMIT = 2;

    // Field transfer: the bound texts to the controls, or from the controls
    // (false when a text is over its limit; the transfer stops there).
    void TransferToControls();
    bool TransferFromControls();

    void OnTimer();
    void OnSelectDevice();
    void OnGetSignal();
    void ShowSignalLevel(std::uint8_t level);
    void OnReadPara();
    void OnWritePara();
    // The parameter set Write para sends, collected from the fields once the
    // module has acknowledged the announcement.
    const ModuleParamSet& CollectUpload();
    void OnLoadConfiguration();
    void OnSaveConfiguration();
    void OnAbout();
    void OnGetMacAddress();

    // Follows the monitor's device events from now on (the monitor is not
    // owned and must outlive the window). Without a monitor the list follows
    // plugging only through the timer's rebuilds after CloseLink.
    void WatchDeviceEvents(HotplugMonitor& monitor);
    // A module plugged or pulled. While no module is open, an LQ-3860 that
    // comes or goes makes the next tick rebuild the list; while one is open,
    // its own removal runs CloseLink and anything else is left alone.
    void OnDeviceEvent(const DeviceEvent& event);

    // Field rules bound to control events.
    void FilterHexEdit(QLineEdit* edit);
    void FillEmptyMac(QLineEdit* edit);
    void DefaultSsid();
    void ValidateKey();
    void ApplyModeRule();
    void ApplyChannelRule();
    void ShowParams();

    const ModuleLink& Link() const { return session_.link; }
    std::uint8_t KeyInvalid() const { return keyInvalid_; }
    QTimer* Timer() const { return timer_; }

    // Enter: transfer from the controls and close only when that succeeded.
    void accept() override;

protected:
    // Enter presses a focused push button and elsewhere gives OK, although
    // no push button is the default.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void ConnectEvents();
    void OnInitDialog();
    void FillDeviceListAtStart();
    bool RebuildDeviceList();
    void TellAboutDeniedAccess();

    // The fields as plain data, and back into the controls.
    ParamFields ReadFields() const;
    void WriteSelections(const ParamFields& fields);
    void WriteMacEdits(const ParamFields& fields);
    void WriteFields(const ParamFields& fields);
    void SetProgress(int position);

    Session& session_;
    std::uint8_t keyInvalid_ = 0;
    HidReport replyReport_{};
    bool accessDenialTold_ = false;
    std::string openPath_;  // the interface OnSelectDevice opened last
    DeviceEventWatch* deviceEventWatch_ = nullptr;

    // Bound texts.
    QString keyText_;
    QString ssidText_;
    QString dateText_;
    QString versionText_;
    QIcon appIcon_;

    QMenuBar* menuBar_ = nullptr;
    QComboBox* deviceCombo_ = nullptr;               // 1001
    QComboBox* modeCombo_ = nullptr;                 // 1004
    QComboBox* channelCombo_ = nullptr;              // 1007
    QComboBox* encryptionCombo_ = nullptr;           // 1008
    QLineEdit* ssidEdit_ = nullptr;                  // 1005
    QLineEdit* keyEdit_ = nullptr;                   // 1006
    std::array<QLineEdit*, MAC_LENGTH> macEdits_{};  // 1009, 1012 .. 1016, left to right
    QLabel* versionLabel_ = nullptr;                 // 1003
    QLabel* dateLabel_ = nullptr;                    // 1017
    std::array<QLabel*, 3> lamps_{};                 // 1045 left, 1046 middle, 1047 right
    QPushButton* getSignalButton_ = nullptr;         // 1021
    QPushButton* getMacButton_ = nullptr;            // 1018
    QPushButton* readParaButton_ = nullptr;          // 1011
    QPushButton* writeParaButton_ = nullptr;         // 1002
    QProgressBar* progressBar_ = nullptr;            // 1010
    QTimer* timer_ = nullptr;
};

}  // namespace lq3860
