// SPDX-License-Identifier: MIT
#pragma once
// The record through which a looked-up MAC reaches the main window: the
// lookup fills it, the main window's next timer tick takes it.
#include <array>
#include <cstdint>
#include <string>

namespace lq3860 {

struct MacHandOffRecord {
    std::array<std::string, 6> macText;  // MacByteText of each byte, byte 0 first
    std::uint8_t ready = 0;              // 1: a new MAC the main window has not taken yet
};

}  // namespace lq3860
