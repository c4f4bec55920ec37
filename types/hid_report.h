// SPDX-License-Identifier: MIT
#pragma once
// One HID report as it crosses the link: byte 0 is the report id (0 in every
// report the host sends), bytes 1..64 the payload.
#include <array>
#include <cstddef>
#include <cstdint>

namespace lq3860 {

inline constexpr std::size_t HID_REPORT_SIZE = 65;
using HidReport = std::array<std::uint8_t, HID_REPORT_SIZE>;

}  // namespace lq3860
