// SPDX-License-Identifier: MIT
#include "ui/about_dlg.h"

#include <QLabel>

#include "lq3860_version.h"
#include "ui/dialog_units.h"
#include "ui/enter_key.h"
#include "ui/template_layout.h"
#include "ui/ui_resources.h"

namespace lq3860 {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About LQ-3860 Utility"));
    // No buttons: the close box, Enter and Escape close it.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const QFont font = DialogFont(QString());  // the system font of 10 points
    setFont(font);
    const DialogUnits units(font);
    setFixedSize(units.Size(170, 61));

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setAccessibleName(QStringLiteral("LQ-3860 Utility icon"));
    icon->move(units.Rect(7, 7, 0, 0).topLeft());
    icon->resize(32, 32);

    auto* line = new QLabel(QStringLiteral("LQ-3860 Utility Ver. " LQ3860_VERSION_MAJOR_MINOR), this);
    line->setGeometry(units.Rect(30, 8, 130, 10));
    WidenToText(line);
}

void CAboutDlg::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(event)) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace lq3860
