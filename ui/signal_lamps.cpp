// SPDX-License-Identifier: MIT
#include "ui/signal_lamps.h"

namespace lq3860 {

std::optional<LampSet> LampsForLevel(std::uint8_t level) {
    // The lamps light from the right: red from "1", yellow at "2", green at "3".
    switch (level) {
        case '0': return LampSet{Lamp::Off, Lamp::Off, Lamp::Off};
        case '1': return LampSet{Lamp::Off, Lamp::Off, Lamp::Red};
        case '2': return LampSet{Lamp::Off, Lamp::Yellow, Lamp::Red};
        case '3': return LampSet{Lamp::Green, Lamp::Yellow, Lamp::Red};
        default: return std::nullopt;
    }
}

}  // namespace lq3860
