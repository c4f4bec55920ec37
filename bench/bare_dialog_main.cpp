// SPDX-License-Identifier: MIT
// lq3860_bare_dialog --screenshot FILE [WIDTH HEIGHT]: the bare dialog, of
// that many pixels, taken through the steps of `lq3860-utility --screenshot
// FILE` (start Qt, show the window, let it settle, render it to a PNG file,
// end), so that the two programs' whole start-up can be compared from
// outside (scripts/measure-start-up).
#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bare_dialog.h"

int main(int argc, char** argv) {
    if ((argc != 3 && argc != 5) || std::strcmp(argv[1], "--screenshot") != 0) {
        std::fputs("usage: lq3860_bare_dialog --screenshot FILE [WIDTH HEIGHT]\n", stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[2]);
    const QSize size = argc == 5 ? QSize(std::atoi(argv[3]), std::atoi(argv[4])) : lq3860::BARE_DIALOG_SIZE;
    QApplication app(argc, argv);
    const auto dialog = lq3860::BareDialog(size);
    dialog->show();
    QApplication::processEvents();
    return dialog->grab().save(path, "PNG") ? 0 : 1;
}
