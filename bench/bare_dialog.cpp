// SPDX-License-Identifier: MIT
#include "bare_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace lq3860 {

std::unique_ptr<QDialog> BareDialog(QSize size) {
    auto dialog = std::make_unique<QDialog>();
    dialog->setFixedSize(size);
    auto* layout = new QVBoxLayout(dialog.get());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* menuBar = new QMenuBar(dialog.get());
    menuBar->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("Load"));
    menuBar->addAction(QStringLiteral("&About"));
    layout->setMenuBar(menuBar);
    auto* client = new QWidget(dialog.get());
    layout->addWidget(client);
    // 39 controls in 4 columns of 10 rows over the area below the menu bar.
    const int columnWidth = size.width() / 4, rowHeight = (size.height() - menuBar->sizeHint().height()) / 10;
    int place = 0;
    auto add = [&](QWidget* control) {
        control->setGeometry(place % 4 * columnWidth + 5, place / 4 * rowHeight + 5, columnWidth - 10, rowHeight - 10);
        ++place;
    };
    for (int i = 0; i < 10; ++i) add(new QGroupBox(QStringLiteral("Group"), client));
    for (int i = 0; i < 4; ++i) add(new QComboBox(client));
    for (int i = 0; i < 8; ++i) add(new QLineEdit(QStringLiteral("FF"), client));
    for (int i = 0; i < 12; ++i) add(new QLabel(QStringLiteral("Label"), client));
    for (int i = 0; i < 4; ++i) add(new QPushButton(QStringLiteral("Button"), client));
    add(new QProgressBar(client));
    return dialog;
}

}  // namespace lq3860
