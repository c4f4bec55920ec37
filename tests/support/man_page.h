// SPDX-License-Identifier: MIT
#pragma once
// Whether a program's man page names every option of the table it parses.
#include <cctype>
#include <string>
#include <vector>

#include "program/options.h"
#include "tool_process.h"

namespace lq3860 {

// Whether the roff `text` names `word` (each '-' written "\-"), not only as
// the start of a longer name.
inline bool RoffNames(const std::string& text, std::string_view word) {
    std::string roff;
    for (const char c : word) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    for (std::size_t at = text.find(roff); at != std::string::npos; at = text.find(roff, at + 1)) {
        const std::size_t end = at + roff.size();
        if (end == text.size()) return true;
        if (!std::isalnum(static_cast<unsigned char>(text[end])) && text.compare(end, 2, "\\-") != 0) return true;
    }
    return false;
}

// The names and letters ("-v") of `options` that the man page `path` leaves out.
inline std::vector<std::string> OptionsMissingFromManPage(const std::string& path, const OptionList& options) {
    const std::string page = ReadWholeFile(path);
    std::vector<std::string> missing;
    for (const OptionEntry* option : options) {
        if (!RoffNames(page, option->name)) missing.emplace_back(option->name);
        const std::string letter = option->letter != 0 ? std::string("-") + option->letter : std::string();
        if (!letter.empty() && !RoffNames(page, letter)) missing.push_back(letter);
    }
    return missing;
}

}  // namespace lq3860
