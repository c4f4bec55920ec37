#pragma once
// Every wait of the exchanges and procedures goes through Pause, so tests can
// record the waits instead of sleeping.
#include <functional>

using PauseFunction = std::function<void(unsigned milliseconds)>;

void Pause(unsigned milliseconds);
// Installs a replacement (an empty function restores real sleeping) and
// returns the previous one.
PauseFunction SetPauseFunction(PauseFunction pause);
