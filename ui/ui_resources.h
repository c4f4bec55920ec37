// SPDX-License-Identifier: MIT
#pragma once
#include <QIcon>

namespace lq3860 {

// Registers the icons compiled into the window library. A static library's
// resources are only linked in when something refers to them, so every
// window calls this before it loads an icon.
void InitUiResources();

// Icon 128, the program's icon: the one the application has set (decoding
// it again would cost start-up time for the same picture), loaded when none is.
QIcon ApplicationIcon();

}  // namespace lq3860
