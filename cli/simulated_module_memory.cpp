#include "cli/simulated_module_memory.h"

#include <filesystem>
#include <system_error>

ConfigLoadResult AttachMemoryFile(ModuleBehaviour& module, const std::string& path, bool& writeFailed) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        ModuleParamSet stored;
        const ConfigLoadResult loaded = LoadConfigurationFile(path, stored);
        if (!loaded.ok) return loaded;
        module.SetParams(stored);
    } else if (error) {
        return ConfigLoadResult{false, OPEN_FAILURE_MESSAGE};
    }
    module.OnParamsStored([path, &writeFailed](const ModuleParamSet& params) {
        if (!WriteFileAtomically(path, FormatConfiguration(params))) writeFailed = true;
    });
    return ConfigLoadResult{true, nullptr};
}
