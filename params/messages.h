// SPDX-License-Identifier: MIT
#pragma once
// The texts the parameter layer gives its users: the procedures' outcomes,
// the field rules' refusals and the configuration file's failures, and how
// the command-line programs tell a file failure.
#include <cstddef>
#include <string>
#include <string_view>

#include "types/module_params.h"

namespace lq3860 {

// The final messages of the two procedures, shown by the window and printed
// by the command-line tool.
inline constexpr const char* DOWNLOAD_OK_MESSAGE = "Download Parameter OK";
inline constexpr const char* DOWNLOAD_NG_MESSAGE = "Download Parameter NG";
inline constexpr const char* UPLOAD_OK_MESSAGE = "Upload Parameter OK";
inline constexpr const char* UPLOAD_NG_MESSAGE = "Upload Parameter NG";

// The key length rule, per encryption.
inline constexpr const char* WEP64_KEY_MESSAGE = "The KEY must be 10 characters!";
inline constexpr const char* WEP128_KEY_MESSAGE = "The KEY must be 26 characters!";
inline constexpr const char* WPA_KEY_MESSAGE = "The KEY must between 8~63 characters!";

// The refusal of the transfer from the controls when a text is longer than
// what the module takes (an SSID over 20 characters can only come from a
// loaded file; it is then sent as its first 20).
inline constexpr const char* SSID_TOO_LONG_MESSAGE = "The SSID can have at most 20 characters.";
inline constexpr const char* KEY_TOO_LONG_MESSAGE = "The WLK key can have at most 63 characters.";

// Whether `text` names `number` in decimal. The limits are defined once, in
// types/module_params.h; the texts that spell them out are checked against
// them when this header is compiled.
constexpr bool NamesNumber(std::string_view text, std::size_t number) {
    char digits[20] = {};
    std::size_t start = sizeof digits;
    do {
        digits[--start] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    return text.find(std::string_view(digits + start, sizeof digits - start)) != std::string_view::npos;
}
static_assert(NamesNumber(SSID_TOO_LONG_MESSAGE, SSID_SENT_LENGTH) &&
              NamesNumber(KEY_TOO_LONG_MESSAGE, KEY_SENT_LENGTH) && NamesNumber(WPA_KEY_MESSAGE, KEY_SENT_LENGTH));

inline constexpr const char* SAVE_FAILURE_MESSAGE = "Save database file failure";
inline constexpr const char* OPEN_FAILURE_MESSAGE = "Open database file failure";
inline constexpr const char* SECTION_ERROR_MESSAGES[] = {"[G1] format error", "[G2] format error", "[G3] format error",
                                                         "[G4] format error"};
// A UTF-16 file with characters beyond one byte: most often a configuration
// that Windows PowerShell 5.1 redirected with ">", which decodes the tool's
// bytes through the console's code page on the way.
inline constexpr const char* WIDE_TEXT_FILE_MESSAGE =
    "The file is UTF-16 text with characters that do not fit in a byte, which a configuration file "
    "cannot hold. Save the module's parameters with lq3860ctl read --save FILE (not with \">\" in "
    "PowerShell), or save the file as ANSI or UTF-8 text.";

// The refusals of a text that the file cannot carry: its lines end in CR LF
// and have no escapes, so a line break inside the SSID or key would load
// back as something else (even as another section).
inline constexpr const char* SSID_LINE_BREAK_MESSAGE =
    "The SSID contains a line break (CR or LF), which a configuration file cannot hold.";
inline constexpr const char* KEY_LINE_BREAK_MESSAGE =
    "The WLK key contains a line break (CR or LF), which a configuration file cannot hold.";

// A file failure as the command-line programs print it: "PATH: MESSAGE
// (REASON)", or "PATH: MESSAGE" without a reason.
inline std::string FileMessage(std::string_view path, std::string_view message, std::string_view reason = {}) {
    std::string text;
    text.append(path).append(": ").append(message);
    if (!reason.empty()) text.append(" (").append(reason).append(")");
    return text;
}

}  // namespace lq3860
