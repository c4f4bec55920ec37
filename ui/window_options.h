// SPDX-License-Identifier: MIT
#pragma once
// The window's command line: its options, with the conventions of
// lq3860ctl and lq3860-sim, and its --help text made from them.
#include <span>
#include <string>

#include "program/options.h"

namespace lq3860 {

enum class WindowOption { Simulate, Screenshot, Verbose, Help, Version };

std::span<const Option<WindowOption>> WindowOptions();

std::string WindowHelpText();

}  // namespace lq3860
