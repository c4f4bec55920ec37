#pragma once
// The HID report descriptor of the virtual module: one application collection
// of usage page 0xFF00, usage 0x0001 with 64-byte input and output reports
// without report ids, and optionally a second application collection with
// usage 0x0002 (a 1-byte feature report, so the 64-byte reports stay as they
// are).
#include <cstdint>
#include <vector>

namespace lq3860 {

inline constexpr std::uint16_t SECOND_COLLECTION_USAGE = 0x0002;

std::vector<std::uint8_t> BuildReportDescriptor(bool secondCollection);

}  // namespace lq3860
