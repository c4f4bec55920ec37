// SPDX-License-Identifier: MIT
#pragma once

namespace lq3860 {

// Registers the icons compiled into the window library. A static library's
// resources are only linked in when something refers to them, so every
// window calls this before it loads an icon.
void InitUiResources();

}  // namespace lq3860
