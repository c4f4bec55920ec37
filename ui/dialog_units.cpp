// SPDX-License-Identifier: MIT
#include "ui/dialog_units.h"

#include <QFontMetrics>
#include <QGuiApplication>

namespace lq3860 {

QFont DialogFont(const QString& face) {
    constexpr qreal TEMPLATE_POINT_SIZE = 10;
    QFont font = QGuiApplication::font();
    if (!face.isEmpty()) font.setFamilies({face, font.family()});
    if (font.pointSizeF() < TEMPLATE_POINT_SIZE) font.setPointSizeF(TEMPLATE_POINT_SIZE);
    return font;
}

QFont DialogTemplateFont() {
    return DialogFont(QStringLiteral("MS Sans Serif"));
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = (alphabet / 26 + 1) / 2;
    baseHeight_ = metrics.height();
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    // Both edges are converted, so neighbouring controls line up exactly.
    const int left = x * baseWidth_ / 4;
    const int top = y * baseHeight_ / 8;
    const int right = (x + width) * baseWidth_ / 4;
    const int bottom = (y + height) * baseHeight_ / 8;
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnits::Size(int width, int height) const {
    return QSize(width * baseWidth_ / 4, height * baseHeight_ / 8);
}

}  // namespace lq3860
