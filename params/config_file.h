// SPDX-License-Identifier: MIT
#pragma once
// The configuration text file: writer (nine CR LF lines) and reader
// (tag-and-comma scanner), and saving and loading it on disk.
#include <cstddef>
#include <string>
#include <string_view>

#include "types/module_params.h"

namespace lq3860 {

inline constexpr std::size_t CONFIG_FILE_MAX = 10000;
inline constexpr const char* SAVE_FAILURE_MESSAGE = "Save database file failure";
inline constexpr const char* OPEN_FAILURE_MESSAGE = "Open database file failure";

// The refusals of a text that the file cannot carry: its lines end in CR LF
// and have no escapes, so a line break inside the SSID or key would load
// back as something else (even as another section).
inline constexpr const char* SSID_LINE_BREAK_MESSAGE =
    "The SSID contains a line break (CR or LF), which a configuration file cannot hold.";
inline constexpr const char* KEY_LINE_BREAK_MESSAGE =
    "The WLK key contains a line break (CR or LF), which a configuration file cannot hold.";

// The nine lines for `params`, "*" for an empty SSID or key.
std::string FormatConfiguration(const ModuleParamSet& params);

// The refusal message when a text that FormatConfiguration would write holds
// a CR or LF; null when the file loads back as the same parameter set.
const char* UnsavableTextMessage(const ModuleParamSet& params);

struct ConfigLoadResult {
    bool ok = false;
    const char* message = nullptr;  // null on success, else the text to show
    std::string reason = {};        // why the file could not be read, in the system's words; else empty
};
// Reads all four sections; stores into params only when every tag is there.
ConfigLoadResult ParseConfiguration(std::string_view text, ModuleParamSet& params);
// Reads the file (refusing files over CONFIG_FILE_MAX) and parses it.
ConfigLoadResult LoadConfigurationFile(const std::string& path, ModuleParamSet& params);

enum class SaveOutcome { Saved, Refused, Failed };
struct ConfigSaveResult {
    SaveOutcome outcome = SaveOutcome::Failed;
    const char* message = nullptr;  // null when saved; the refusal text, or SAVE_FAILURE_MESSAGE
    std::string reason = {};        // when Failed: why, in the system's words
};
// Saves the nine lines for `params` by the rules of file_storage.h, or
// refuses a text the file cannot carry; neither a refusal nor a failure
// changes what stands at `path`, except that a file written in place can be
// left part-written by a failed write.
ConfigSaveResult SaveConfigurationFile(const std::string& path, const ModuleParamSet& params);

// A file failure as the command-line tools print it: "PATH: MESSAGE (REASON)",
// or "PATH: MESSAGE" without a reason.
std::string FileMessage(std::string_view path, std::string_view message, std::string_view reason = {});

}  // namespace lq3860
