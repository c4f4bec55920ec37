// SPDX-License-Identifier: MIT
#pragma once
// Texts from a module as the window shows them: a product name in the Select
// Device list, the firmware version and date in their labels.
#include <QString>
#include <string_view>

namespace lq3860 {

// The UTF-8 name with every control character (C0, DEL, C1) replaced by
// U+FFFD, so a name cannot carry line breaks or terminal controls into the list.
QString ModuleNameText(std::string_view utf8Name);
// A firmware text (8-bit, as Latin-1) with its control characters replaced
// the same way.
QString FirmwareText(std::string_view latin1Text);

}  // namespace lq3860
