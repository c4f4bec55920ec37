#pragma once
#include <string>

namespace lq3860 {

// `text` with tabs and line ends as blanks, so whatever a device reports
// stays one tab-separated field of one line.
std::string OneField(std::string text);

}  // namespace lq3860
