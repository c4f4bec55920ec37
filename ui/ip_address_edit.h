// SPDX-License-Identifier: MIT
#pragma once
// An IPv4 address entry of four number fields (0..255 each). It tells an
// entirely empty entry from a partly filled one; an empty field reads as 0.
#include <QWidget>

#include <array>
#include <cstdint>

class QLineEdit;

namespace lq3860 {

class IpAddressEdit : public QWidget {
    Q_OBJECT
public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    // packed: the first number in the high byte, as 0xC0A8FF01 for 192.168.255.1.
    void SetAddress(std::uint32_t packed);
    // True when all four fields are empty.
    bool IsBlank() const;
    // The four numbers, first number first; empty fields give 0.
    std::array<std::uint8_t, 4> GetAddress() const;
    QLineEdit* Field(int index) const { return fields_[static_cast<std::size_t>(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FocusField(int index);

    std::array<QLineEdit*, 4> fields_{};
    // The field a full number has just moved the typing to (-1: none). A '.'
    // typed next there is the one the user meant to end the number with.
    int jumpedTo_ = -1;
};

}  // namespace lq3860
