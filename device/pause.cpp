#include "device/pause.h"

#include <chrono>
#include <thread>
#include <utility>

namespace {
PauseFunction& Installed() {
    static PauseFunction pause;
    return pause;
}
}  // namespace

void Pause(unsigned milliseconds) {
    if (Installed()) {
        Installed()(milliseconds);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

PauseFunction SetPauseFunction(PauseFunction pause) {
    return std::exchange(Installed(), std::move(pause));
}
