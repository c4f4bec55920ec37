// SPDX-License-Identifier: MIT
#pragma once
// Dialog-template conventions that Qt's widgets do not follow by themselves:
// group boxes whose frame starts half a font height below the top of their
// rectangle, and labels at least as wide as their text.
#include <QGroupBox>

class QLabel;

namespace lq3860 {

// A group box drawn as a dialog template draws one: an etched frame from
// half the font's height below the rectangle's top, the title standing on
// the frame's top line. Controls at their template positions then sit inside
// the frame; the style's own group box puts its title above the frame, which
// would start lower and leave them sticking out.
class TemplateGroupBox : public QGroupBox {
    Q_OBJECT
public:
    TemplateGroupBox(const QString& title, QWidget* parent);

    // The frame's outer rectangle, in the box's coordinates.
    QRect FrameRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Widens the label to its text where the template's width is too narrow for
// the font in use; its left edge stays.
void WidenToText(QLabel* label);

}  // namespace lq3860
