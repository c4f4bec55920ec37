// SPDX-License-Identifier: MIT
// The main window's field transfer and the field rules bound to its events.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/edit_events.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

namespace {

// SSID and key travel as 8-bit text; the edits hold Latin-1 only.
std::string EightBit(const QString& text) {
    return text.toLatin1().toStdString();
}

QString FromEightBit(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void Select(QComboBox* combo, int position) {
    combo->setCurrentIndex(position < combo->count() ? position : -1);
}

}  // namespace

void CUtilityDlg::TransferToControls() {
    SetProgramText(keyEdit_, keyText_, KEY_LIMIT);
    SetProgramText(ssidEdit_, ssidText_, SSID_LIMIT);
    dateLabel_->setText(dateText_);
    versionLabel_->setText(versionText_);
}

bool CUtilityDlg::TransferFromControls() {
    // Typing is capped, so only a text the program put in can be too long.
    // Such a text is still taken before it is refused: the user may have
    // shortened it, and the next transfer to the controls must not bring
    // the old text back; what is sent or saved is its start.
    keyText_ = keyEdit_->text();
    if (keyText_.size() > KEY_LIMIT) {
        session_.Services().WindowMessage(KEY_TOO_LONG_MESSAGE);
        return false;
    }
    ssidText_ = ssidEdit_->text();
    if (ssidText_.size() > SSID_LIMIT) {
        session_.Services().WindowMessage(SSID_TOO_LONG_MESSAGE);
        return false;
    }
    dateText_ = dateLabel_->text();
    versionText_ = versionLabel_->text();
    return true;
}

ParamFields CUtilityDlg::ReadFields() const {
    ParamFields fields;
    fields.modeSelection = modeCombo_->currentIndex();
    fields.channelSelection = channelCombo_->currentIndex();
    fields.encryptionSelection = encryptionCombo_->currentIndex();
    fields.encryptionItemCount = encryptionCombo_->count();
    fields.ssidText = EightBit(ssidText_);
    fields.keyText = EightBit(keyText_);
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) fields.macText[i] = EightBit(macEdits_[i]->text());
    return fields;
}

void CUtilityDlg::WriteSelections(const ParamFields& fields) {
    if (encryptionCombo_->count() != fields.encryptionItemCount) {
        encryptionCombo_->clear();
        for (int i = 0; i < fields.encryptionItemCount; ++i)
            encryptionCombo_->addItem(QString::fromLatin1(ENCRYPTION_ITEMS[static_cast<std::size_t>(i)]));
    }
    Select(modeCombo_, fields.modeSelection);
    Select(channelCombo_, fields.channelSelection);
    Select(encryptionCombo_, fields.encryptionSelection);
}

void CUtilityDlg::WriteMacEdits(const ParamFields& fields) {
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) {
        const QString text = FromEightBit(fields.macText[i]);
        if (macEdits_[i]->text() != text) macEdits_[i]->setText(text);
    }
}

void CUtilityDlg::WriteFields(const ParamFields& fields) {
    WriteSelections(fields);
    WriteMacEdits(fields);
    ssidText_ = FromEightBit(fields.ssidText);
    keyText_ = FromEightBit(fields.keyText);
}

void CUtilityDlg::FilterHexEdit(QLineEdit* edit) {
    std::string text = EightBit(edit->text());
    // Setting the shorter text fires textChanged again, which removes the
    // next offending character, until only hex digits are left.
    if (RemoveFirstNonHexDigit(text)) edit->setText(FromEightBit(text));
}

void CUtilityDlg::FillEmptyMac(QLineEdit* edit) {
    if (edit->text().isEmpty()) edit->setText(QString::fromLatin1(MAC_FILL_TEXT));
    TransferToControls();
}

void CUtilityDlg::DefaultSsid() {
    TransferFromControls();
    if (!ssidText_.isEmpty()) return;
    ssidText_ = QString::fromLatin1(DEFAULT_SSID);
    TransferToControls();
}

void CUtilityDlg::ValidateKey() {
    TransferFromControls();
    keyInvalid_ = 0;
    const KeyCheck check = CheckKeyLength(encryptionCombo_->currentIndex(), static_cast<std::size_t>(keyText_.size()));
    if (check.verdict == KeyVerdict::Refused) {
        session_.Services().WindowMessage(check.message);
        keyInvalid_ = 1;
    } else if (check.verdict == KeyVerdict::Cleared) {
        keyText_.clear();
    }
    TransferToControls();
}

void CUtilityDlg::ApplyModeRule() {
    ParamFields fields = ReadFields();
    ModeRule(fields, session_.ModuleParams);
    WriteSelections(fields);
}

void CUtilityDlg::ApplyChannelRule() {
    ParamFields fields = ReadFields();
    ChannelRule(fields);
    WriteSelections(fields);
}

void CUtilityDlg::ShowParams() {
    ParamFields fields;  // everything in it comes from the parameter set
    ParamsToFields(session_.ModuleParams, fields);
    WriteFields(fields);
    TransferToControls();
}

}  // namespace lq3860
