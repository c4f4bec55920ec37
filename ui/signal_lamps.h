#pragma once
// The three signal lamps and the level bytes they show.
#include <array>
#include <cstdint>
#include <optional>

// The level character of the last accepted signal reply, as it arrived.
extern std::uint8_t signalLevel;
// The level the lamps last acted on.
extern std::uint8_t shownSignalLevel;

enum class Lamp { Off, Green, Red, Yellow };
// Left, middle, right.
using LampSet = std::array<Lamp, 3>;

// The lamps for a level character "0".."3"; nothing for any other value
// (the lamps then stay as they are).
std::optional<LampSet> LampsForLevel(std::uint8_t level);
