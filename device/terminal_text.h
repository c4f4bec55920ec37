// SPDX-License-Identifier: MIT
#pragma once
// Text from a device, made safe to print on a terminal: a module's product
// name or firmware bytes must not move the cursor, ring or reprogram it.
#include <string>
#include <string_view>

namespace lq3860 {

// `text` with every control character shown as a C escape: \a \b \t \n \v
// \f \r, any other control character (C0, DEL and the two bytes of a C1
// character such as U+009B) and every byte that is not part of well-formed
// UTF-8 as \xHH (two lower-case hexadecimal digits), and a backslash as \\.
// Printable characters, UTF-8 ones included, stay as they are.
std::string EscapeForTerminal(std::string_view text);

// The same for a message or a path: control characters and malformed UTF-8
// escaped, backslashes kept, so a Windows path reads as the user typed it.
std::string EscapeControlsForTerminal(std::string_view text);

}  // namespace lq3860
