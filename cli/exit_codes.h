// SPDX-License-Identifier: MIT
#pragma once

namespace lq3860 {

// Exit status of lq3860ctl; scripts rely on these numbers.

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_MODULE_FAILURE = 1;  // no module, a link failure or an NG outcome
inline constexpr int EXIT_USAGE = 2;           // wrong usage
inline constexpr int EXIT_REFUSED_INPUT = 3;   // bad configuration file, key check
inline constexpr int EXIT_MAC_NOT_FOUND = 4;   // MAC not found or probe failed
inline constexpr int EXIT_NOT_VERIFIED = 5;    // written, but the module holds other parameters

}  // namespace lq3860
