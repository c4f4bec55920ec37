// SPDX-License-Identifier: MIT
#include "ui/ip_address_edit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace lq3860 {

namespace {
constexpr int FIELD_DIGITS = 3;
}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("IP Address"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // 0..255 without leading zeros, or nothing.
    auto* validator = new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto* field = new QLineEdit(this);
        field->setValidator(validator);
        field->setMaxLength(FIELD_DIGITS);
        field->setAlignment(Qt::AlignCenter);
        field->setAccessibleName(QStringLiteral("IP Address number %1").arg(i + 1));
        field->installEventFilter(this);
        // A full field hands the typing on to the next one.
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (text.size() != FIELD_DIGITS || i == 3) return;
            FocusField(i + 1);
            jumpedTo_ = i + 1;
        });
        layout->addWidget(field, 1);
        fields_[static_cast<std::size_t>(i)] = field;
    }
}

void IpAddressEdit::SetAddress(std::uint32_t packed) {
    for (int i = 0; i < 4; ++i) Field(i)->setText(QString::number((packed >> (8 * (3 - i))) & 0xFF));
}

bool IpAddressEdit::IsBlank() const {
    for (const QLineEdit* field : fields_)
        if (!field->text().isEmpty()) return false;
    return true;
}

std::array<std::uint8_t, 4> IpAddressEdit::GetAddress() const {
    std::array<std::uint8_t, 4> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = static_cast<std::uint8_t>(std::min(fields_[i]->text().toUInt(), 255u));
    return numbers;
}

void IpAddressEdit::FocusField(int index) {
    if (index < 0 || index > 3) return;
    Field(index)->setFocus();
    Field(index)->selectAll();
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const auto found = std::find(fields_.begin(), fields_.end(), watched);
    if (found == fields_.end()) return QWidget::eventFilter(watched, event);
    const int i = static_cast<int>(found - fields_.begin());
    if (event->type() == QEvent::FocusOut && i == jumpedTo_) jumpedTo_ = -1;
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);

    const auto* key = static_cast<QKeyEvent*>(event);
    const bool rightAfterJump = i == jumpedTo_;
    jumpedTo_ = -1;
    // '.' moves to the next field, unless a full number has just done so;
    // Backspace in an empty field goes back.
    if (key->text() == QStringLiteral(".")) {
        if (!rightAfterJump && !Field(i)->text().isEmpty()) FocusField(i + 1);
        return true;
    }
    if (key->key() == Qt::Key_Backspace && Field(i)->text().isEmpty() && i > 0) {
        FocusField(i - 1);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lq3860
