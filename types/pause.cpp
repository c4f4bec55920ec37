// SPDX-License-Identifier: MIT
#include "types/pause.h"

#include <chrono>
#include <thread>

namespace lq3860 {

void Pause::Wait(unsigned milliseconds) const {
    if (replacement_) {
        replacement_(milliseconds);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

}  // namespace lq3860
