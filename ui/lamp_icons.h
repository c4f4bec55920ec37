// SPDX-License-Identifier: MIT
#pragma once
// The lamp pictures and how a lamp control shows one.
#include "ui/signal_lamps.h"

class QLabel;

namespace lq3860 {

// Shows `lamp` in the lamp control and names it for assistive tools,
// for instance "Signal lamp left: red".
void ShowLamp(QLabel* control, Lamp lamp);

}  // namespace lq3860
