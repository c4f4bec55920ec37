// SPDX-License-Identifier: MIT
#include "device/terminal_text.h"

#include <cstddef>

#include "device/unicode_text.h"

namespace lq3860 {

namespace {

void AppendByteEscape(std::string& out, unsigned char byte) {
    static constexpr char HEX[] = "0123456789abcdef";
    out += "\\x";
    out += HEX[byte >> 4];
    out += HEX[byte & 0xF];
}

// The letter of a C escape for `c`, or 0 when it has none.
char NamedEscape(unsigned char c) {
    switch (c) {
        case '\a': return 'a';
        case '\b': return 'b';
        case '\t': return 't';
        case '\n': return 'n';
        case '\v': return 'v';
        case '\f': return 'f';
        case '\r': return 'r';
        case '\\': return '\\';
        default: return 0;
    }
}

std::string Escape(std::string_view text, bool backslashes) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (const char letter = NamedEscape(c); letter != 0 && (backslashes || c != '\\')) {
                out += '\\';
                out += letter;
            } else if (c < 0x20 || c == 0x7F) {
                AppendByteEscape(out, c);
            } else {
                out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8At(text, i);
        const bool c1Control = sequence.length != 0 && sequence.codePoint >= 0x80 && sequence.codePoint <= 0x9F;
        if (sequence.length == 0 || c1Control) {
            const std::size_t length = sequence.length == 0 ? 1 : sequence.length;
            for (std::size_t k = 0; k < length; ++k) AppendByteEscape(out, static_cast<unsigned char>(text[i + k]));
            i += length;
        } else {
            out.append(text.substr(i, sequence.length));
            i += sequence.length;
        }
    }
    return out;
}

}  // namespace

std::string EscapeForTerminal(std::string_view text) {
    return Escape(text, true);
}

std::string EscapeControlsForTerminal(std::string_view text) {
    return Escape(text, false);
}

}  // namespace lq3860
