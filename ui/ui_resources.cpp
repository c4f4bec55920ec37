#include "ui/ui_resources.h"

#include <QtGlobal>

void InitUiResources() {
    Q_INIT_RESOURCE(ui_icons);
}
