#include "maclookup/get_mac_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <cstdio>
#include <utility>

#include "maclookup/ip_address_edit.h"
#include "maclookup/mac_handoff.h"
#include "ui/dialog_units.h"
#include "ui/user_services.h"

namespace {

constexpr int DIALOG_WIDTH = 235;
constexpr int DIALOG_HEIGHT = 129;
constexpr int MAC_EDIT_FIRST_ID = 1008;
constexpr int MAC_EDIT_X[6] = {59, 86, 113, 140, 167, 194};
constexpr int MAC_TEXT_LIMIT = 2;
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

template <typename Control>
Control* Place(Control* control, int id, const DialogUnits& units, int x, int y, int width, int height) {
    if (id != 0) {
        control->setObjectName(QString::number(id));
        control->setProperty("controlId", id);
    }
    control->setGeometry(units.Rect(x, y, width, height));
    return control;
}

}  // namespace

CGetMacDlg::CGetMacDlg(QWidget* parent, GetMacDialogHooks dialogHooks)
    : QDialog(parent), hooks(std::move(dialogHooks)) {
    CreateControls();
    OnInitDialog();
}

void CGetMacDlg::CreateControls() {
    setWindowTitle(QStringLiteral("Get MAC Address Dialog"));
    setObjectName(QStringLiteral("139"));
    setFont(DialogTemplateFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(DIALOG_WIDTH, DIALOG_HEIGHT));

    // Created in the template's order, which is also the tab order.
    auto* exitButton = Place(new QPushButton(QStringLiteral("Exit"), this), 1, units, 59, 99, 117, 18);
    exitButton->setAccessibleName(QStringLiteral("Exit"));
    exitButton->setDefault(true);
    connect(exitButton, &QPushButton::clicked, this, &CGetMacDlg::accept);

    auto* ipLabel = Place(new QLabel(QStringLiteral("IP Address: "), this), 0, units, 12, 13, 43, 11);
    ipAddressCtrl = Place(new IpAddressEdit(this), 1007, units, 59, 12, 158, 14);
    ipLabel->setBuddy(ipAddressCtrl);

    auto* macLabel = Place(new QLabel(QStringLiteral("MAC Address: "), this), 0, units, 12, 76, 43, 11);
    auto* validator = new UpperCaseValidator(this);
    for (int i = 0; i < 6; ++i) {
        auto* edit = Place(new QLineEdit(this), MAC_EDIT_FIRST_ID + i, units, MAC_EDIT_X[i], 76, 22, 12);
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(MAC_TEXT_LIMIT);
        edit->setValidator(validator);
        edit->setAccessibleName(QStringLiteral("MAC Address byte %1").arg(i + 1));
        macEdits[static_cast<std::size_t>(i)] = edit;
    }
    macLabel->setBuddy(macEdits[0]);

    // Enter on a focused "Get MAC" presses it; elsewhere Enter means "Exit".
    auto* getMacButton = Place(new QPushButton(QStringLiteral("Get MAC"), this), 5, units, 59, 52, 117, 18);
    getMacButton->setAccessibleName(QStringLiteral("Get MAC"));
    getMacButton->setAutoDefault(true);
    connect(getMacButton, &QPushButton::clicked, this, &CGetMacDlg::OnGetMac);

    // A drop-down list without an edit field: a typed adapter name had no
    // meaning. Its height is the toolkit's own; the list drops below it.
    adapterCombo = Place(new QComboBox(this), 1014, units, 59, 34, 159, 0);
    adapterCombo->resize(adapterCombo->width(), adapterCombo->sizeHint().height());
    adapterCombo->setAccessibleName(QStringLiteral("Adapters"));
    auto* adapterLabel = Place(new QLabel(QStringLiteral("Adapters: "), this), 0, units, 12, 34, 30, 11);
    adapterLabel->setBuddy(adapterCombo);

    // Says what the message boxes do not: no matching row, no ICMP permission.
    statusLine = Place(new QLabel(this), 0, units, 12, 118, 211, 10);
    statusLine->setAccessibleName(QStringLiteral("Status"));
    statusLine->setWordWrap(false);
}

void CGetMacDlg::OnInitDialog() {
    LoadMacEdits();
    FillAdapterList();
    ipAddressCtrl->SetAddress(START_ADDRESS);
}

void CGetMacDlg::FillAdapterList() {
    for (const AdapterItem& item : AdapterListItems(hooks.listAdapters()))
        adapterCombo->addItem(QString::fromStdString(item.text), item.interfaceIndex);
    if (adapterCombo->count() > 0) adapterCombo->setCurrentIndex(0);
}

void CGetMacDlg::LoadMacEdits() {
    for (std::size_t i = 0; i < macEdits.size(); ++i)
        macEdits[i]->setText(QString::fromLatin1(MacHandOff.macText[i]));
}

void CGetMacDlg::accept() {
    for (std::size_t i = 0; i < macEdits.size(); ++i)
        MacHandOff.macText[i] = macEdits[i]->text().toLatin1().toStdString();
    QDialog::accept();
}

void CGetMacDlg::OnGetMac() {
    statusLine->clear();
    if (ipAddressCtrl->IsBlank()) {
        Services().ApplicationMessage("Please, Enter IP Address", false);
        return;
    }
    ipFields = ipAddressCtrl->GetAddress();
    char address[16];
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", ipFields[0], ipFields[1], ipFields[2], ipFields[3]);
    ipText = address;

    std::optional<int> interfaceIndex;
    if (adapterCombo->currentIndex() >= 0) interfaceIndex = adapterCombo->currentData().toInt();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const GetMacOutcome outcome = hooks.getMac(ipText, interfaceIndex, [](const std::string& text) {
        Services().ApplicationMessage(text, false);
    });
    QApplication::restoreOverrideCursor();

    const std::string_view status = GetMacStatusText(outcome);
    statusLine->setText(QString::fromUtf8(status.data(), static_cast<qsizetype>(status.size())));
    if (outcome == GetMacOutcome::ProbeFailed || outcome == GetMacOutcome::NoPermission) {
        Services().ApplicationMessage(GET_MAC_ERROR_MESSAGE, true);
        return;
    }
    LoadMacEdits();
}
