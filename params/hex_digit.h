// SPDX-License-Identifier: MIT
#pragma once
// The value of a hexadecimal digit, for the MAC edits and the configuration
// file's G4 numbers.

namespace lq3860 {

// 0 to 15, or -1 for any other character. Plain ASCII: characters with the
// high bit set are never digits, whatever the C locale says.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace lq3860
