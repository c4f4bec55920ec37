// SPDX-License-Identifier: MIT
#pragma once
// The HID report descriptor of the virtual module: one application collection
// of usage page 0xFF00, usage 0x0001 with input reports of `inputBytes` (64
// for a faithful module; the kernel drops input reports shorter than the
// descriptor says, so a module with short replies declares them short) and
// 64-byte output reports, without report ids; and optionally a second
// application collection with usage 0x0002 (a 1-byte feature report, so the
// input and output reports stay as they are).
#include <cstdint>
#include <vector>

namespace lq3860 {

inline constexpr std::uint16_t SECOND_COLLECTION_USAGE = 0x0002;

std::vector<std::uint8_t> BuildReportDescriptor(bool secondCollection, std::uint8_t inputBytes = 64);

}  // namespace lq3860
