// SPDX-License-Identifier: MIT
#pragma once
// The three signal lamps and the levels they show.
#include <array>
#include <cstdint>
#include <optional>

namespace lq3860 {

enum class Lamp { Off, Green, Red, Yellow };
// Left, middle, right.
using LampSet = std::array<Lamp, 3>;

// The lamps for a level character "0".."3"; nothing for any other value
// (the lamps then stay as they are).
std::optional<LampSet> LampsForLevel(std::uint8_t level);

}  // namespace lq3860
