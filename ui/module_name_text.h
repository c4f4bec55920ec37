// SPDX-License-Identifier: MIT
#pragma once
// A module's product name as the Select Device list shows it.
#include <QString>
#include <string_view>

namespace lq3860 {

// The UTF-8 name with every control character (C0, DEL, C1) replaced by
// U+FFFD, so a name cannot carry line breaks or terminal controls into the list.
QString ModuleNameText(std::string_view utf8Name);

}  // namespace lq3860
