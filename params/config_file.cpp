// SPDX-License-Identifier: MIT
// Saving and loading configuration files, on the platform's file storage.
#include "params/config_file.h"

#include "params/file_storage.h"

namespace lq3860 {

namespace {

ConfigLoadResult Parse(const FileStatus& loaded, std::string_view text, ModuleParamSet& params) {
    if (!loaded.ok) return {false, OPEN_FAILURE_MESSAGE, loaded.reason};
    return ParseConfiguration(text, params);
}

}  // namespace

ConfigSaveResult SaveConfigurationFile(const std::string& path, const ModuleParamSet& params, EmptyText emptyText) {
    if (const char* refusal = UnsavableTextMessage(params)) return {SaveOutcome::Refused, refusal};
    const FileStatus saved = SaveWholeFile(path, FormatConfiguration(params, emptyText));
    if (!saved.ok) return {SaveOutcome::Failed, SAVE_FAILURE_MESSAGE, saved.reason};
    return {SaveOutcome::Saved};
}

ConfigLoadResult LoadConfigurationFile(const std::string& path, ModuleParamSet& params) {
    std::string text;
    const FileStatus loaded = LoadWholeFile(path, CONFIG_FILE_MAX, text);
    return Parse(loaded, text, params);
}

ConfigLoadResult LoadConfigurationInput(ModuleParamSet& params) {
    std::string text;
    const FileStatus loaded = LoadStandardInput(CONFIG_FILE_MAX, text);
    return Parse(loaded, text, params);
}

}  // namespace lq3860
