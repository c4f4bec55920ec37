// SPDX-License-Identifier: MIT
#include "ui/ui_resources.h"

#include <QGuiApplication>

// Qt's resource initialiser must be called from outside any namespace.
static void InitUiIcons() {
    Q_INIT_RESOURCE(ui_icons);
}

namespace lq3860 {

void InitUiResources() {
    InitUiIcons();
}

QIcon ApplicationIcon() {
    const QIcon set = QGuiApplication::windowIcon();
    if (!set.isNull()) return set;
    InitUiResources();
    return QIcon(QStringLiteral(":/icons/lq3860-utility.png"));
}

}  // namespace lq3860
