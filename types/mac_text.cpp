// SPDX-License-Identifier: MIT
#include "types/mac_text.h"

#include <cstdio>

#include "types/module_params.h"

namespace lq3860 {

std::string MacByteText(std::uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(byte));
    return text;
}

std::string MacText(const std::uint8_t* mac, char separator) {
    std::string text = MacByteText(mac[0]);
    for (std::size_t i = 1; i < MAC_LENGTH; ++i) text += separator + MacByteText(mac[i]);
    return text;
}

}  // namespace lq3860
