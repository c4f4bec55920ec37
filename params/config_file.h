#pragma once
// The configuration text file: writer (nine CR LF lines) and reader
// (tag-and-comma scanner).
#include <cstddef>
#include <string>
#include <string_view>

#include "types/module_params.h"

namespace lq3860 {

inline constexpr std::size_t CONFIG_FILE_MAX = 10000;
inline constexpr const char* SAVE_FAILURE_MESSAGE = "Save database file failure";
inline constexpr const char* OPEN_FAILURE_MESSAGE = "Open database file failure";

// The nine lines for `params`, "*" for an empty SSID or key.
std::string FormatConfiguration(const ModuleParamSet& params);

// Writes `text` beside `path` and renames it over it, so a failed write
// leaves any existing file as it was. False on any error.
bool WriteFileAtomically(const std::string& path, const std::string& text);

struct ConfigLoadResult {
    bool ok;
    const char* message;  // null on success, else the text to show
};
// Reads all four sections; stores into params only when every tag is there.
ConfigLoadResult ParseConfiguration(std::string_view text, ModuleParamSet& params);
// Reads the file (refusing files over CONFIG_FILE_MAX) and parses it.
ConfigLoadResult LoadConfigurationFile(const std::string& path, ModuleParamSet& params);

}  // namespace lq3860
