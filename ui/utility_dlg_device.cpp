// The main window's link to the module: the timer's device list rebuild,
// selecting a module with its firmware information, and the signal lamps.
#include <QComboBox>
#include <QLineEdit>

#include "device/debug_output.h"
#include "device/hid_device_table.h"
#include "device/pause.h"
#include "maclookup/mac_handoff.h"
#include "ui/lamp_icons.h"
#include "ui/utility_dlg.h"

namespace {
constexpr unsigned REBUILD_PAUSE_MS = 100;
}  // namespace

void CUtilityDlg::OnTimer() {
    if (MacHandOff.ready) {
        MacHandOff.ready = 0;
        for (std::size_t i = 0; i < MAC_LENGTH; ++i) macEdits_[i]->setText(QString::fromLatin1(MacHandOff.macText[i]));
        TransferToControls();
    }
    if (link_.deviceOpen == 0 && link_.rescanNeeded == 1 && !RebuildDeviceList()) return;
    ShowSignalLevel(signalLevel);
}

bool CUtilityDlg::RebuildDeviceList() {
    char name[HID_PRODUCT_NAME_SIZE] = {};
    replyReport_.fill(0);
    deviceCombo_->clear();
    HID_ClearList();
    const int count = HID_Enumerate();
    if (count >= 1) {
        deviceCombo_->addItem(QStringLiteral("<None>"));
        Pause(REBUILD_PAUSE_MS);
        for (int i = 0; i < count; ++i) {
            if (!HID_GetName(i, name, HID_PRODUCT_NAME_SIZE)) {
                deviceCombo_->setCurrentIndex(-1);
                CloseLink();
                DebugOutput("GetName Failed");
                return false;  // the names so far stay; the next tick starts again
            }
            deviceCombo_->addItem(QString::fromUtf8(name));
            DebugOutput(name);
        }
        link_.rescanNeeded = 0;
    }
    deviceCombo_->setCurrentIndex(-1);  // a rebuilt list has no selection
    TellAboutDeniedAccess();
    return true;
}

void CUtilityDlg::OnSelectDevice() {
    const int position = deviceCombo_->currentIndex();
    if (position <= 0) {
        // "<None>" only closes.
        if (link_.deviceOpen) CloseLink();
        return;
    }
    if (!OpenModule(link_, position - 1)) return;
    FirmwareInfo info;
    if (QueryFirmware(link_, replyReport_, info) != ReplyOutcome::Accepted) return;
    versionText_ = QString::fromLatin1(info.versionText);
    dateText_ = QString::fromLatin1(info.dateText);
    TransferToControls();
}

void CUtilityDlg::OnGetSignal() {
    if (QuerySignal(link_, replyReport_, signalLevel) == ReplyOutcome::Accepted) TransferToControls();
}

void CUtilityDlg::ShowSignalLevel(std::uint8_t level) {
    if (level == shownSignalLevel) return;
    shownSignalLevel = level;
    if (const std::optional<LampSet> lamps = LampsForLevel(level)) {
        for (std::size_t i = 0; i < lamps_.size(); ++i) ShowLamp(lamps_[i], (*lamps)[i]);
    }
    TransferToControls();
}
