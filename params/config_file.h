// SPDX-License-Identifier: MIT
#pragma once
// Configuration files on disk: the text of config_text.h, saved and loaded
// by the rules of file_storage.h. The command-line tool's "-" (standard
// input) loads through LoadConfigurationInput.
#include <string>
#include <string_view>

#include "params/config_text.h"
#include "params/messages.h"
#include "types/module_params.h"

namespace lq3860 {

// The name the command-line tool gives standard input (write) and standard
// output (read --save).
inline constexpr std::string_view STANDARD_STREAM = "-";

// Reads the file (refusing files over CONFIG_FILE_MAX) and parses it.
ConfigLoadResult LoadConfigurationFile(const std::string& path, ModuleParamSet& params);
// Reads standard input to its end (refusing more than CONFIG_FILE_MAX bytes) and parses it.
ConfigLoadResult LoadConfigurationInput(ModuleParamSet& params);

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
ConfigSaveResult SaveConfigurationFile(const std::string& path, const ModuleParamSet& params,
                                       EmptyText emptyText = EmptyText::Star);

}  // namespace lq3860
