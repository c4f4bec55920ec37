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
    // The path is UTF-8 (a plain std::string would be read in the ANSI code
    // page on Windows).
    if (std::filesystem::exists(std::filesystem::path(std::u8string(path.begin(), path.end())), error)) {
        ModuleParamSet stored;
        const ConfigLoadResult loaded = LoadConfigurationFile(path, stored);
        if (!loaded.ok) return loaded;
        behaviour_.SetParams(stored);
    } else if (error) {
        return ConfigLoadResult{false, OPEN_FAILURE_MESSAGE};
    }
    behaviour_.OnParamsStored([this, path](const ModuleParamSet& params) {
        if (!WriteFileAtomically(path, FormatConfiguration(params))) stateSaveFailed_ = true;
    });
    return ConfigLoadResult{true, nullptr};
}

}  // namespace lq3860
