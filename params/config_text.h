// SPDX-License-Identifier: MIT
#pragma once
// The configuration file's text: the writer (nine CR LF lines) and the
// reader (a tag-and-comma scanner).
#include <cstddef>
#include <string>
#include <string_view>

#include "params/messages.h"
#include "types/module_params.h"

namespace lq3860 {

inline constexpr std::size_t CONFIG_FILE_MAX = 10000;

// How an empty SSID or key is written. A configuration file writes "*",
// which loads back as the text "*". The simulated module's state file leaves
// the field empty, which loads back as the empty text, so the module's
// memory comes back exactly as it was.
enum class EmptyText { Star, Empty };

// The nine lines for `params`.
std::string FormatConfiguration(const ModuleParamSet& params, EmptyText emptyText = EmptyText::Star);

// The refusal message when a text that FormatConfiguration would write holds
// a CR or LF; null when the file loads back as the same parameter set.
const char* UnsavableTextMessage(const ModuleParamSet& params);

struct ConfigLoadResult {
    bool ok = false;
    const char* message = nullptr;  // null on success, else the text to show
    std::string reason = {};        // why the file could not be read, in the system's words; else empty
};
// Reads all four sections; stores into params only when every tag is there.
// A byte-order mark is read too: editors put UTF-8's before the text (it is
// skipped), and Windows PowerShell 5.1's ">" writes UTF-16 with one (read as
// the 8-bit text it carries when every character fits in a byte, the file's
// texts being bytes shown as Latin-1; refused otherwise).
ConfigLoadResult ParseConfiguration(std::string_view text, ModuleParamSet& params);

}  // namespace lq3860
