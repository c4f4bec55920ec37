#include "cli/one_field.h"

namespace lq3860 {

std::string OneField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace lq3860
