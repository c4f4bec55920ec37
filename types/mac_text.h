// SPDX-License-Identifier: MIT
#pragma once
// MAC addresses as the program shows, saves and logs them: two upper-case
// hex digits per byte, first byte first.
#include <cstddef>
#include <cstdint>
#include <string>

namespace lq3860 {

// "0C"
std::string MacByteText(std::uint8_t byte);

// The six bytes at `mac` joined by `separator`: "00-0C-29-38-60-01".
std::string MacText(const std::uint8_t* mac, char separator = '-');

}  // namespace lq3860
