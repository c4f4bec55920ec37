// SPDX-License-Identifier: MIT
#pragma once
// Positions given in dialog units, turned into pixels for a font the way
// dialog templates are laid out: x px = x * baseWidth / 4, y px = y * baseHeight / 8.
#include <QFont>
#include <QRect>
#include <QString>
#include <QVariant>

namespace lq3860 {

// A dialog's font: `face` (empty: the desktop's face) at 10 points, where the
// face is missing the desktop's own, and the desktop's size where that is
// larger, so the windows follow a desktop set to larger text.
QFont DialogFont(const QString& face);
// The font the main window and the Get MAC Address dialog are laid out in
// ("MS Sans Serif", 10 points).
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

// Puts a control of a dialog at its template position in dialog units and
// gives it its template id (0: none) as object name, so it is found as in
// the template.
template <typename Control>
Control* Place(Control* control, int id, const DialogUnits& units, int x, int y, int width, int height) {
    if (id != 0) control->setObjectName(QString::number(id));
    control->setGeometry(units.Rect(x, y, width, height));
    return control;
}

}  // namespace lq3860
