// SPDX-License-Identifier: MIT
#pragma once
#include <QKeyEvent>

namespace lq3860 {

// Return or the keypad's Enter without other modifiers: the dialogs' OK.
inline bool IsEnterKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers others = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && others == Qt::NoModifier;
}

}  // namespace lq3860
