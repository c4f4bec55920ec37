// SPDX-License-Identifier: MIT
#include "ui/get_mac_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "ui/control_ids.h"
#include "ui/dialog_units.h"
#include "ui/ip_address_edit.h"
#include "ui/template_layout.h"
#include "ui/ui_messages.h"

namespace lq3860 {

namespace {

constexpr int DIALOG_WIDTH = 235;
constexpr int DIALOG_HEIGHT = 129;
constexpr int MAC_EDIT_X[6] = {59, 86, 113, 140, 167, 194};
constexpr int MAC_TEXT_LIMIT = 2;
constexpr int CONTROL_COLUMN_X = 59;                 // where the controls right of the labels start
constexpr int LABEL_GAP = 4;                         // between the widest label and that column
constexpr std::uint32_t START_ADDRESS = 0xC0A8FF01;  // 192.168.255.1

// Letters become upper case as they are typed or pasted; the texts travel
// as 8-bit text, so characters beyond Latin-1 are refused.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (c.unicode() > 0xFF) return Invalid;
        input = input.toUpper();
        return Acceptable;
    }
};

}  // namespace

GetMacDialogHooks HostMacLookupHooks(Session& session) {
    return {ListHostAdapters,
            [&session](const std::string& ipText, std::optional<int> interfaceIndex, const ReaderMessage& onMessage) {
                return MacLookup(session.MacHandOff, session.debugOutput)
                    .GetMacAddressOfHost(ipText, interfaceIndex, onMessage);
            }};
}

CGetMacDlg::CGetMacDlg(MacHandOffRecord& handOff, UserServices& services, GetMacDialogHooks hooks, QWidget* parent)
    : QDialog(parent), handOff_(handOff), services_(services), hooks_(std::move(hooks)) {
    CreateControls();
    OnInitDialog();
}

void CGetMacDlg::CreateControls() {
    setWindowTitle(QStringLiteral("Get MAC Address Dialog"));
    setObjectName(QString::number(control_id::DIALOG_GET_MAC));
    setFont(DialogTemplateFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(DIALOG_WIDTH, DIALOG_HEIGHT));

    // Created in the template's order, which is also the tab order.
    auto* exitButton =
        Place(new QPushButton(QStringLiteral("Exit"), this), control_id::GETMAC_EXIT, units, 59, 99, 117, 18);
    exitButton->setAccessibleName(QStringLiteral("Exit"));
    exitButton->setDefault(true);
    connect(exitButton, &QPushButton::clicked, this, &CGetMacDlg::accept);

    auto* ipLabel = Place(new QLabel(QStringLiteral("IP Address: "), this), 0, units, 12, 13, 43, 11);
    ipAddressCtrl_ = Place(new IpAddressEdit(this), control_id::GETMAC_IP_ADDRESS, units, 59, 12, 158, 14);
    ipLabel->setBuddy(ipAddressCtrl_);

    auto* macLabel = Place(new QLabel(QStringLiteral("MAC Address: "), this), 0, units, 12, 76, 43, 11);
    auto* validator = new UpperCaseValidator(this);
    for (int i = 0; i < 6; ++i) {
        auto* edit = Place(new QLineEdit(this), control_id::GETMAC_MAC_BYTES[static_cast<std::size_t>(i)], units,
                           MAC_EDIT_X[i], 76, 22, 12);
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(MAC_TEXT_LIMIT);
        edit->setValidator(validator);
        edit->setAccessibleName(QStringLiteral("MAC Address byte %1").arg(i + 1));
        macEdits_[static_cast<std::size_t>(i)] = edit;
    }
    macLabel->setBuddy(macEdits_[0]);

    // Enter on a focused "Get MAC" presses it; elsewhere Enter means "Exit".
    auto* getMacButton =
        Place(new QPushButton(QStringLiteral("Get MAC"), this), control_id::GETMAC_GET, units, 59, 52, 117, 18);
    getMacButton->setAccessibleName(QStringLiteral("Get MAC"));
    getMacButton->setAutoDefault(true);
    connect(getMacButton, &QPushButton::clicked, this, &CGetMacDlg::OnGetMac);

    // A drop-down list without an edit field: a typed adapter name had no
    // meaning. Its height is the toolkit's own; the list drops below it.
    adapterCombo_ = Place(new QComboBox(this), control_id::GETMAC_ADAPTERS, units, 59, 34, 159, 0);
    adapterCombo_->resize(adapterCombo_->width(), adapterCombo_->sizeHint().height());
    adapterCombo_->setAccessibleName(QStringLiteral("Adapters"));
    auto* adapterLabel = Place(new QLabel(QStringLiteral("Adapters: "), this), 0, units, 12, 34, 30, 11);
    adapterLabel->setBuddy(adapterCombo_);

    // Says what the message boxes do not: no matching row, no ICMP permission.
    // Its accessible name is its text, so screen readers read the status itself.
    statusLine_ = Place(new QLabel(this), 0, units, 12, 118, 211, 10);
    statusLine_->setObjectName(QStringLiteral("status"));
    statusLine_->setAccessibleDescription(QStringLiteral("Status of the last lookup"));
    statusLine_->setWordWrap(false);

    FitLabelColumn({ipLabel, macLabel, adapterLabel}, units.Rect(CONTROL_COLUMN_X, 0, 0, 0).x(),
                   units.Size(LABEL_GAP, 0).width());
}

void CGetMacDlg::FitLabelColumn(std::initializer_list<QLabel*> labels, int columnX, int gap) {
    int labelsRight = 0;
    for (QLabel* label : labels) {
        WidenToText(label);
        labelsRight = std::max(labelsRight, label->geometry().right() + 1);
    }
    const int shift = labelsRight + gap - columnX;
    if (shift <= 0) return;
    // The controls' column moves right; the dialog and its status line grow.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->x() >= columnX) child->move(child->x() + shift, child->y());
    statusLine_->resize(statusLine_->width() + shift, statusLine_->height());
    setFixedSize(width() + shift, height());
}

void CGetMacDlg::OnInitDialog() {
    LoadMacEdits();
    FillAdapterList();
    ipAddressCtrl_->SetAddress(START_ADDRESS);
}

void CGetMacDlg::FillAdapterList() {
    for (const AdapterItem& item : AdapterListItems(hooks_.listAdapters()))
        adapterCombo_->addItem(QString::fromStdString(item.text), item.interfaceIndex);
    if (adapterCombo_->count() > 0) adapterCombo_->setCurrentIndex(0);
}

void CGetMacDlg::LoadMacEdits() {
    for (std::size_t i = 0; i < macEdits_.size(); ++i) macEdits_[i]->setText(QString::fromLatin1(handOff_.macText[i]));
}

void CGetMacDlg::accept() {
    for (std::size_t i = 0; i < macEdits_.size(); ++i)
        handOff_.macText[i] = macEdits_[i]->text().toLatin1().toStdString();
    QDialog::accept();
}

void CGetMacDlg::OnGetMac() {
    statusLine_->clear();
    if (ipAddressCtrl_->IsBlank()) {
        services_.ApplicationMessage(ENTER_IP_ADDRESS_MESSAGE, false);
        return;
    }
    ipFields_ = ipAddressCtrl_->GetAddress();
    char address[16];
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", ipFields_[0], ipFields_[1], ipFields_[2], ipFields_[3]);
    ipText_ = address;

    std::optional<int> interfaceIndex;
    if (adapterCombo_->currentIndex() >= 0) interfaceIndex = adapterCombo_->currentData().toInt();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const GetMacOutcome outcome = hooks_.getMac(
        ipText_, interfaceIndex, [this](const std::string& text) { services_.ApplicationMessage(text, false); });
    QApplication::restoreOverrideCursor();

    const std::string_view status = GetMacStatusText(outcome);
    statusLine_->setText(QString::fromUtf8(status.data(), static_cast<qsizetype>(status.size())));
    if (outcome == GetMacOutcome::ProbeFailed || outcome == GetMacOutcome::NoPermission) {
        services_.ApplicationMessage(GET_MAC_ERROR_MESSAGE, true);
        return;
    }
    LoadMacEdits();
}

}  // namespace lq3860
