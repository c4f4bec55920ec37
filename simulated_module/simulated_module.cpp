// SPDX-License-Identifier: MIT
#include "simulated_module/simulated_module.h"

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
    std::optional<HidReport> answer = behaviour_.HandleOutputReport(report, !faults.keepOldParams);
    if (nextReply) answer = std::exchange(nextReply, std::nullopt);
    if (answer && !faults.silent) {
        if (faults.garbageReplies) answer = Garbage();
        response.replies.push_back(*answer);
        if (faults.doubleReplies) response.replies.push_back(*answer);
    }
    if (faults.replyPayloadBytes >= 0 && static_cast<std::size_t>(faults.replyPayloadBytes) < response.payloadBytes) {
        response.payloadBytes = static_cast<std::size_t>(faults.replyPayloadBytes);
    }
    response.delayMs = faults.replyDelayMs > 0 ? static_cast<unsigned>(faults.replyDelayMs) : 0u;
    response.unplugged = Unplugged();
    return response;
}

HidReport SimulatedModule::Garbage() {
    HidReport junk{};
    for (std::size_t i = 1; i < junk.size(); ++i) {
        // xorshift32: cheap, and the same sequence for the same module.
        garbageState_ ^= garbageState_ << 13;
        garbageState_ ^= garbageState_ >> 17;
        garbageState_ ^= garbageState_ << 5;
        junk[i] = static_cast<std::uint8_t>(garbageState_ >> 24);
    }
    return junk;
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
        return ConfigLoadResult{false, OPEN_FAILURE_MESSAGE, error.message()};
    }
    behaviour_.OnParamsStored([this, path](const ModuleParamSet& params) {
        const ConfigSaveResult saved = SaveConfigurationFile(path, params, EmptyText::Empty);
        if (saved.outcome != SaveOutcome::Saved) stateSaveFailure_ = FileMessage(path, saved.message, saved.reason);
    });
    return ConfigLoadResult{true, nullptr};
}

}  // namespace lq3860
