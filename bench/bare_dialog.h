// SPDX-License-Identifier: MIT
#pragma once
// A bare Qt dialog with the main window's controls by kind and number: what
// the window's start-up is measured against.
#include <QDialog>
#include <QSize>

#include <memory>

namespace lq3860 {

// Its size unless one is given.
inline constexpr QSize BARE_DIALOG_SIZE{522, 461};

// 10 group boxes, 4 lists, 8 edits, 12 labels, 4 buttons, a progress bar and
// a menu bar, placed by hand in a grid over a dialog of `size` pixels, with
// nothing else to do.
std::unique_ptr<QDialog> BareDialog(QSize size = BARE_DIALOG_SIZE);

}  // namespace lq3860
