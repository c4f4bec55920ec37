// SPDX-License-Identifier: MIT
#include "ui/ui_resources.h"

#include <QtGlobal>

// Qt's resource initialiser must be called from outside any namespace.
static void InitUiIcons() {
    Q_INIT_RESOURCE(ui_icons);
}

namespace lq3860 {

void InitUiResources() {
    InitUiIcons();
}

}  // namespace lq3860
