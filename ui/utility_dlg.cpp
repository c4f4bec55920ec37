// SPDX-License-Identifier: MIT
#include "ui/utility_dlg.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtAlgorithms>

#include "device/device_messages.h"
#include "device/hid_device_table.h"
#include "device/module_label.h"
#include "lq3860_version.h"
#include "ui/about_dlg.h"
#include "ui/control_ids.h"
#include "ui/device_text.h"
#include "ui/dialog_units.h"
#include "ui/edit_events.h"
#include "ui/enter_key.h"
#include "ui/get_mac_dialog.h"
#include "ui/lamp_icons.h"
#include "ui/template_layout.h"
#include "ui/ui_resources.h"

namespace lq3860 {

namespace {

constexpr int DIALOG_WIDTH = 331;
constexpr int DIALOG_HEIGHT = 263;
constexpr int MAC_EDIT_X[MAC_LENGTH] = {19, 43, 67, 91, 115, 139};
constexpr int LAMP_X[3] = {187, 216, 245};

QAction* MenuCommand(QAction* action, int command) {
    action->setObjectName(QString::number(command));
    return action;
}

void GroupBox(QWidget* parent, const DialogUnits& units, const char* title, QRect rect) {
    Place(new TemplateGroupBox(QString::fromLatin1(title), parent), 0, units, rect.x(), rect.y(), rect.width(),
          rect.height());
}

QPushButton* Button(QWidget* parent, const DialogUnits& units, int id, const char* text, QRect rect) {
    auto* button = Place(new QPushButton(QString::fromLatin1(text), parent), id, units, rect.x(), rect.y(),
                         rect.width(), rect.height());
    button->setAutoDefault(false);  // none is the default button; keyPressEvent gives Enter its meaning
    return button;
}

QLineEdit* Edit(QWidget* parent, const DialogUnits& units, int id, const QString& name, QRect rect) {
    auto* edit = Place(new QLineEdit(parent), id, units, rect.x(), rect.y(), rect.width(), rect.height());
    edit->setAlignment(Qt::AlignCenter);
    edit->setAccessibleName(name);
    return edit;
}

// A drop-down list without an edit field; its height is the toolkit's own.
QComboBox* DropDownList(QWidget* parent, const DialogUnits& units, int id, const char* description, int x, int y,
                        int width) {
    auto* combo = Place(new QComboBox(parent), id, units, x, y, width, 0);
    combo->resize(combo->width(), combo->sizeHint().height());
    combo->setAccessibleDescription(QString::fromLatin1(description));
    return combo;
}

QLabel* Label(QWidget* parent, const DialogUnits& units, int id, const char* text, QRect rect) {
    auto* label = Place(new QLabel(QString::fromLatin1(text), parent), id, units, rect.x(), rect.y(), rect.width(),
                        rect.height());
    label->setTextFormat(Qt::PlainText);  // device texts are shown as they are, never as markup
    WidenToText(label);
    return label;
}

}  // namespace

CUtilityDlg::CUtilityDlg(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    InitUiResources();
    appIcon_ = ApplicationIcon();
    CreateControls();
    ConnectEvents();
    OnInitDialog();
}

CUtilityDlg::~CUtilityDlg() {
    // QDialog's destructor deletes the edits, and the one holding the focus
    // loses it then: the focus rules must not run on a window no longer whole.
    qDeleteAll(findChildren<FocusLostFilter*>());
}

void CUtilityDlg::CreateControls() {
    setWindowTitle(QStringLiteral("LQ-3860 Utility v" LQ3860_VERSION_MAJOR_MINOR));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(DialogTemplateFont());
    const DialogUnits units(font());

    menuBar_ = new QMenuBar(this);
    QMenu* fileMenu = menuBar_->addMenu(QStringLiteral("&File"));
    connect(MenuCommand(fileMenu->addAction(QStringLiteral("Load Configuration")), control_id::MENU_LOAD_CONFIGURATION),
            &QAction::triggered, this, &CUtilityDlg::OnLoadConfiguration);
    connect(MenuCommand(fileMenu->addAction(QStringLiteral("Save Configuration")), control_id::MENU_SAVE_CONFIGURATION),
            &QAction::triggered, this, &CUtilityDlg::OnSaveConfiguration);
    connect(MenuCommand(menuBar_->addAction(QStringLiteral("&About")), control_id::MENU_ABOUT), &QAction::triggered,
            this, &CUtilityDlg::OnAbout);

    auto* client = new QWidget(this);
    client->setFixedSize(units.Size(DIALOG_WIDTH, DIALOG_HEIGHT));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menuBar_);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Created in the template's order, which is also the tab order.
    GroupBox(client, units, "Select Device", {15, 14, 145, 39});
    deviceCombo_ = DropDownList(client, units, control_id::SELECT_DEVICE, "Select Device", 29, 29, 117);

    GroupBox(client, units, "Signal Strength", {170, 14, 145, 39});
    static constexpr const char* LAMP_POSITIONS[3] = {"left", "middle", "right"};
    for (int i = 0; i < 3; ++i) {
        QLabel* lamp =
            Label(client, units, control_id::LAMPS[static_cast<std::size_t>(i)], "", {LAMP_X[i], 25, 20, 20});
        lamp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        lamp->setProperty("lampPosition", QString::fromLatin1(LAMP_POSITIONS[i]));
        lamps_[static_cast<std::size_t>(i)] = lamp;
        ShowLamp(lamp, Lamp::Off);
    }
    getSignalButton_ = Button(client, units, control_id::GET_SIGNAL, "Get", {275, 27, 34, 16});

    GroupBox(client, units, "Wi-Fi Connection Mode", {15, 58, 145, 39});
    modeCombo_ = DropDownList(client, units, control_id::MODE, "Wi-Fi Connection Mode", 24, 72, 127);

    GroupBox(client, units, "SSID", {170, 58, 145, 39});
    ssidEdit_ = Edit(client, units, control_id::SSID, QStringLiteral("SSID"), {181, 72, 125, 15});
    LimitTyping(ssidEdit_, SSID_LIMIT);

    GroupBox(client, units, "WLCH", {15, 104, 56, 39});
    channelCombo_ = DropDownList(client, units, control_id::CHANNEL, "WLCH", 20, 118, 46);

    GroupBox(client, units, "Encryption", {78, 104, 82, 39});
    encryptionCombo_ = DropDownList(client, units, control_id::ENCRYPTION, "Encryption", 82, 118, 73);

    GroupBox(client, units, "WLK", {170, 104, 145, 39});
    keyEdit_ = Edit(client, units, control_id::KEY, QStringLiteral("WLK"), {181, 118, 125, 15});
    LimitTyping(keyEdit_, KEY_LIMIT);

    GroupBox(client, units, "MAC Address", {15, 151, 300, 39});
    for (std::size_t i = 0; i < MAC_LENGTH; ++i) {
        macEdits_[i] = Edit(client, units, control_id::MAC_BYTES[i], QStringLiteral("MAC byte %1").arg(i + 1),
                            {MAC_EDIT_X[i], 166, 16, 15});
        if (i + 1 < MAC_LENGTH)  // centred in the gap, clear of both edits
            Label(client, units, 0, "-", {MAC_EDIT_X[i] + 16, 169, 8, 8})->setAlignment(Qt::AlignCenter);
    }
    getMacButton_ = Button(client, units, control_id::GET_MAC_ADDRESS, "Get MAC Address", {200, 161, 87, 24});

    readParaButton_ = Button(client, units, control_id::READ_PARA, "Read para", {15, 206, 63, 32});
    writeParaButton_ = Button(client, units, control_id::WRITE_PARA, "Write para", {97, 206, 63, 32});

    GroupBox(client, units, "Firmware Information", {170, 201, 145, 39});
    Label(client, units, control_id::VERSION_LABEL, "Version", {182, 212, 50, 11});
    versionLabel_ = Label(client, units, control_id::FIRMWARE_VERSION, "", {183, 225, 50, 11});
    versionLabel_->setAccessibleDescription(QStringLiteral("Firmware version"));
    Label(client, units, control_id::DATE_LABEL, "Date Created", {258, 212, 50, 11});
    dateLabel_ = Label(client, units, control_id::FIRMWARE_DATE, "", {258, 225, 50, 11});
    dateLabel_->setAccessibleDescription(QStringLiteral("Firmware date"));

    progressBar_ = Place(new QProgressBar(client), control_id::PROGRESS, units, 76, 245, 182, 15);
    progressBar_->setTextVisible(false);
    progressBar_->setAccessibleName(QStringLiteral("Progress"));

    timer_ = new QTimer(this);
}

void CUtilityDlg::ConnectEvents() {
    // activated: only the user's choice, never a selection set by the program.
    connect(deviceCombo_, &QComboBox::activated, this, &CUtilityDlg::OnSelectDevice);
    connect(modeCombo_, &QComboBox::activated, this, &CUtilityDlg::ApplyModeRule);
    connect(channelCombo_, &QComboBox::activated, this, &CUtilityDlg::ApplyChannelRule);
    connect(encryptionCombo_, &QComboBox::activated, this, &CUtilityDlg::ValidateKey);
    connect(getSignalButton_, &QPushButton::clicked, this, &CUtilityDlg::OnGetSignal);
    connect(getMacButton_, &QPushButton::clicked, this, &CUtilityDlg::OnGetMacAddress);
    connect(readParaButton_, &QPushButton::clicked, this, &CUtilityDlg::OnReadPara);
    connect(writeParaButton_, &QPushButton::clicked, this, &CUtilityDlg::OnWritePara);
    for (QLineEdit* edit : macEdits_) {
        // textChanged also fires for text the program sets, as the filter needs.
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { FilterHexEdit(edit); });
        new FocusLostFilter(edit, [this, edit] { FillEmptyMac(edit); });
    }
    new FocusLostFilter(ssidEdit_, [this] { DefaultSsid(); });
    new FocusLostFilter(keyEdit_, [this] { ValidateKey(); });
    connect(timer_, &QTimer::timeout, this, &CUtilityDlg::OnTimer);
}

void CUtilityDlg::OnInitDialog() {
    deviceCombo_->addItem(QStringLiteral("<None>"));
    setWindowIcon(appIcon_);

    session_.link.deviceOpen = 0;
    session_.link.rescanNeeded = 1;
    replyReport_.fill(0);
    FillDeviceListAtStart();

    dateText_ = QStringLiteral("###");
    versionText_ = QStringLiteral("###");
    for (const char* item : MODE_ITEMS) modeCombo_->addItem(QString::fromLatin1(item));
    for (int channel = 0; channel < CHANNEL_COUNT; ++channel) channelCombo_->addItem(QString::number(channel));
    for (QLineEdit* edit : macEdits_) edit->setMaxLength(MAC_LIMIT);
    // The start values with the mode rule applied, written once.
    ParamFields start = StartFields();
    ModeRule(start, session_.ModuleParams);
    WriteFields(start);

    timer_->start(TIMER_PERIOD_MS);
    progressBar_->hide();
    TransferToControls();
    TellAboutDeniedAccess();
}

void CUtilityDlg::FillDeviceListAtStart() {
    HidDeviceTable& devices = session_.Devices();
    devices.HID_ClearList();
    const int count = devices.HID_Enumerate();
    for (int i = 0; i < count; ++i) deviceCombo_->addItem(ModuleNameText(ModuleLabel(devices, i)));
    deviceCombo_->setCurrentIndex(0);
}

void CUtilityDlg::TellAboutDeniedAccess() {
    // Said once per episode: a module this user may not open would
    // otherwise just be missing from the list without a reason.
    if (session_.Devices().AccessDeniedCount() == 0) {
        accessDenialTold_ = false;
        return;
    }
    if (accessDenialTold_) return;
    accessDenialTold_ = true;
    session_.Services().WindowMessage(DEVICE_ACCESS_DENIED_MESSAGE);
}

void CUtilityDlg::accept() {
    if (TransferFromControls()) QDialog::accept();
}

void CUtilityDlg::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(event)) {
        // A focused push button is the default button, as on Windows: Enter
        // presses it. Anywhere else Enter is OK.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else {
            accept();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void CUtilityDlg::OnAbout() {
    CAboutDlg about;
    about.exec();
}

void CUtilityDlg::OnGetMacAddress() {
    // A found MAC comes back only through MacHandOff and the next tick.
    CGetMacDlg lookup(session_.MacHandOff, session_.Services(), HostMacLookupHooks(session_));
    lookup.exec();
}

}  // namespace lq3860
