// SPDX-License-Identifier: MIT
// The main window's link to the module: the timer's device list rebuild,
// selecting a module with its firmware information, and the signal lamps.
#include <QComboBox>
#include <QLineEdit>

#include "device/device_messages.h"
#include "device/hid_device_table.h"
#include "device/terminal_text.h"
#include "ui/device_text.h"
#include "ui/lamp_icons.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

namespace {
constexpr unsigned REBUILD_PAUSE_MS = 100;
}  // namespace

void CUtilityDlg::OnTimer() {
    MacHandOffRecord& handOff = session_.MacHandOff;
    if (handOff.ready) {
        handOff.ready = 0;
        for (std::size_t i = 0; i < MAC_LENGTH; ++i) macEdits_[i]->setText(QString::fromLatin1(handOff.macText[i]));
        TransferToControls();
    }
    const ModuleLink& link = session_.link;
    if (link.deviceOpen == 0 && link.rescanNeeded == 1 && !RebuildDeviceList()) return;
    ShowSignalLevel(session_.signalLevel);
}

bool CUtilityDlg::RebuildDeviceList() {
    char name[HID_PRODUCT_NAME_SIZE] = {};
    replyReport_.fill(0);
    deviceCombo_->clear();
    HidDeviceTable& devices = session_.Devices();
    devices.HID_ClearList();
    const int count = devices.HID_Enumerate();
    if (count >= 1) {
        deviceCombo_->addItem(QStringLiteral("<None>"));
        session_.pause.Wait(REBUILD_PAUSE_MS);
        for (int i = 0; i < count; ++i) {
            if (!devices.HID_GetName(i, name, HID_PRODUCT_NAME_SIZE)) {
                deviceCombo_->setCurrentIndex(-1);
                session_.link.CloseLink();
                session_.debugOutput.Write("GetName Failed");
                return false;  // the names so far stay; the next tick starts again
            }
            deviceCombo_->addItem(ModuleNameText(name));
            session_.debugOutput.Write(EscapeForTerminal(name));  // as the tool prints names
        }
        session_.link.rescanNeeded = 0;
    }
    deviceCombo_->setCurrentIndex(-1);  // a rebuilt list has no selection
    TellAboutDeniedAccess();
    return true;
}

void CUtilityDlg::OnSelectDevice() {
    const int position = deviceCombo_->currentIndex();
    if (position <= 0) {
        // "<None>" only closes.
        if (session_.link.deviceOpen) session_.link.CloseLink();
        return;
    }
    if (!session_.link.OpenModule(position - 1)) {
        // A failed open stops silently, but a module that another program
        // holds is said to be in use: otherwise it looks broken.
        if (session_.Devices().LastOpenInUse()) session_.Services().WindowMessage(MODULE_IN_USE_MESSAGE);
        return;
    }
    openPath_ = session_.Devices().Path(position - 1);
    FirmwareInfo info;
    if (session_.link.QueryFirmware(replyReport_, info) != ReplyOutcome::Accepted) return;
    versionText_ = FirmwareText(info.versionText);
    dateText_ = FirmwareText(info.dateText);
    TransferToControls();
}

void CUtilityDlg::OnGetSignal() {
    if (session_.link.QuerySignal(replyReport_, session_.signalLevel) == ReplyOutcome::Accepted) TransferToControls();
}

void CUtilityDlg::ShowSignalLevel(std::uint8_t level) {
    if (level == session_.shownSignalLevel) return;
    session_.shownSignalLevel = level;
    if (const std::optional<LampSet> lamps = LampsForLevel(level)) {
        for (std::size_t i = 0; i < lamps_.size(); ++i) ShowLamp(lamps_[i], (*lamps)[i]);
    }
    TransferToControls();
}

}  // namespace lq3860
