// SPDX-License-Identifier: MIT
#pragma once
// Every wait of the exchanges and procedures of one session goes through its
// Pause, so tests can record the waits instead of sleeping.
#include <functional>

namespace lq3860 {

using PauseFunction = std::function<void(unsigned milliseconds)>;

class Pause {
public:
    Pause() = default;
    explicit Pause(PauseFunction replacement) : replacement_(std::move(replacement)) {}

    // Sleeps, or hands the time to the replacement when one is set.
    void Wait(unsigned milliseconds) const;
    // An empty function restores real sleeping.
    void Replace(PauseFunction replacement) { replacement_ = std::move(replacement); }

private:
    PauseFunction replacement_;
};

}  // namespace lq3860
