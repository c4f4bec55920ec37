#pragma once
// Positions given in dialog units, turned into pixels for a font the way
// dialog templates are laid out: x px = x * baseWidth / 4, y px = y * baseHeight / 8.
#include <QFont>
#include <QRect>

namespace lq3860 {

// The font the program's dialogs are laid out in ("MS Sans Serif", 10 points);
// the system picks its closest sans face.
QFont DialogTemplateFont();

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

private:
    int baseWidth_;
    int baseHeight_;
};

}  // namespace lq3860
