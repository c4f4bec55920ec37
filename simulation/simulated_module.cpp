#include "simulation/simulated_module.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace lq3860 {

bool SimulatedModule::Unplugged() const {
    return faults.unplugAfterReports >= 0 && outputReports_ >= faults.unplugAfterReports;
}

SimulatedModule::Response SimulatedModule::HandleOutputReport(const HidReport& report) {
    Response response;
    if (Unplugged()) {
        response.unplugged = true;
        return response;
    }
    ++outputReports_;
    std::optional<HidReport> answer = behaviour_.HandleOutputReport(report);
    if (nextReply) answer = std::exchange(nextReply, std::nullopt);
    if (answer && !faults.silent) response.replies.push_back(*answer);
    response.unplugged = Unplugged();
    return response;
}

ConfigLoadResult SimulatedModule::KeepParamsIn(const std::string& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        ModuleParamSet stored;
        const ConfigLoadResult loaded = LoadConfigurationFile(path, stored);
        if (!loaded.ok) return loaded;
        behaviour_.SetParams(stored);
    } else if (error) {
        return ConfigLoadResult{false, OPEN_FAILURE_MESSAGE, error.message()};
    }
    behaviour_.OnParamsStored([this, path](const ModuleParamSet& params) {
        const ConfigSaveResult saved = SaveConfigurationFile(path, params);
        if (saved.outcome != SaveOutcome::Saved) stateSaveFailure_ = FileMessage(path, saved.message, saved.reason);
    });
    return ConfigLoadResult{true, nullptr};
}

}  // namespace lq3860
