// SPDX-License-Identifier: MIT
// Must not build: the device layer reaching up into the parameter layer.
#include "params/config_file.h"

namespace lq3860 {

std::size_t LargestConfigurationFile() {
    return CONFIG_FILE_MAX;
}

}  // namespace lq3860
