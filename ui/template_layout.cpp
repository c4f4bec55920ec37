// SPDX-License-Identifier: MIT
#include "ui/template_layout.h"

#include <qdrawutil.h>
#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace lq3860 {

TemplateGroupBox::TemplateGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

QRect TemplateGroupBox::FrameRect() const {
    return rect().adjusted(0, fontMetrics().height() / 2, 0, 0);
}

void TemplateGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    qDrawShadeRect(&painter, FrameRect(), palette(), true, 1, 0);
    if (title().isEmpty()) return;
    // The title starts one character in and covers the frame's line with
    // the window's background, a quarter character either side.
    const QFontMetrics metrics = fontMetrics();
    const int indent = metrics.averageCharWidth();
    const int padding = indent / 4;
    const QRect titleRect(indent, 0, metrics.horizontalAdvance(title()) + 2 * padding, metrics.height());
    painter.fillRect(titleRect, palette().window());
    style()->drawItemText(&painter, titleRect, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(), title(),
                          QPalette::WindowText);
}

void WidenToText(QLabel* label) {
    if (label->text().isEmpty()) return;
    const int needed = label->sizeHint().width();
    if (label->width() < needed) label->resize(needed, label->height());
}

}  // namespace lq3860
