// SPDX-License-Identifier: MIT
#include "ui/lamp_icons.h"

#include <QLabel>
#include <QPixmap>

namespace lq3860 {

namespace {

struct LampPicture {
    const char* resource;
    const char* colourName;
};

LampPicture PictureOf(Lamp lamp) {
    switch (lamp) {
        case Lamp::Green: return {":/icons/lamp_green.png", "green"};
        case Lamp::Red: return {":/icons/lamp_red.png", "red"};
        case Lamp::Yellow: return {":/icons/lamp_yellow.png", "yellow"};
        case Lamp::Off: break;
    }
    return {":/icons/lamp_off.png", "off"};
}

}  // namespace

void ShowLamp(QLabel* control, Lamp lamp) {
    const LampPicture picture = PictureOf(lamp);
    control->setPixmap(QPixmap(QString::fromLatin1(picture.resource)));
    control->setAccessibleName(
        QStringLiteral("Signal lamp %1: %2")
            .arg(control->property("lampPosition").toString(), QString::fromLatin1(picture.colourName)));
}

}  // namespace lq3860
