// SPDX-License-Identifier: MIT
#include "types/module_params.h"

#include <algorithm>
#include <cstring>

namespace lq3860 {

std::string_view BoundedText(const char* area, std::size_t maxLength) {
    std::size_t length = 0;
    while (length < maxLength && area[length] != '\0') ++length;
    return {area, length};
}

std::string_view ParamText(const char (&area)[PARAM_TEXT_AREA], std::size_t maxLength) {
    return BoundedText(area, std::min(maxLength, PARAM_TEXT_AREA));
}

void StoreParamText(char (&area)[PARAM_TEXT_AREA], std::string_view text, std::size_t maxLength) {
    const std::size_t length = std::min({text.size(), maxLength, PARAM_TEXT_AREA - 1});
    std::memset(area, 0, PARAM_TEXT_AREA);
    std::memcpy(area, text.data(), length);
}

}  // namespace lq3860
