// SPDX-License-Identifier: MIT
#pragma once
// What the windows themselves say to the user: their messages and the file
// dialogs' filters. Texts they share with the command-line tool or that
// spell out a limit come from the layer that owns them (params/messages.h,
// device/, maclookup/).

namespace lq3860 {

// The Get MAC Address dialog, asked to look up an all-blank address.
inline constexpr const char* ENTER_IP_ADDRESS_MESSAGE = "Please, Enter IP Address";

// The configuration file dialogs.
inline constexpr const char* SAVE_FILTER = "Txt file(*.txt)";
inline constexpr const char* SAVE_SUFFIX = "txt";
inline constexpr const char* LOAD_FILTER = "Text File (*.txt)";

}  // namespace lq3860
