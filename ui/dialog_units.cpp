#include "ui/dialog_units.h"

#include <QFontMetrics>

namespace lq3860 {

QFont DialogTemplateFont() {
    QFont font(QStringLiteral("MS Sans Serif"), 10);
    font.setStyleHint(QFont::SansSerif);
    return font;
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
