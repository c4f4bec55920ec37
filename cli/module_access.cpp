// SPDX-License-Identifier: MIT
#include "cli/module_access.h"

#include <string>

#include "cli/exit_codes.h"
#include "device/device_messages.h"
#include "device/host_hid_platform.h"
#include "device/unicode_text.h"
#include "params/config_file.h"
#include "simulated_module/simulated_platform.h"
#include "simulated_module/simulation_options.h"

namespace lq3860 {

namespace {

std::optional<std::u16string> ProductName(const std::optional<std::string>& name) {
    if (!name) return std::u16string(SIMULATED_MODULE_NAME);
    if (name->empty()) return std::nullopt;
    return Utf8ToUtf16(*name);
}

}  // namespace

ModuleAccess::ModuleAccess(const ToolContext& context, const ToolEnvironment& environment)
    : context_(context), environment_(environment) {}

ModuleAccess::ModuleAccess(const ToolContext& context, const ModuleAccess& scanned)
    : context_(context), environment_(scanned.environment_), scanned_(&scanned) {}

int ModuleAccess::Prepare() {
    if (scanned_ != nullptr) {
        platform_ = scanned_->platform_;
        simulated_ = scanned_->simulated_;
        MakeSession();
        session_->Devices().CopyListFrom(scanned_->session_->Devices());
        return EXIT_OK;
    }
    platform_ = environment_.platform;
    if (platform_ == nullptr && !context_.line.simulate) {
        owned_ = HostHidPlatform();
        platform_ = owned_.get();
    } else if (platform_ == nullptr) {
        if (const int status = PrepareOwnModules(); status != EXIT_OK) return status;
    }
    MakeSession();
    return EXIT_OK;
}

int ModuleAccess::PrepareOwnModules() {
    auto simulated = std::make_unique<SimulatedPlatform>();
    simulated->readWait.Replace(environment_.pause);
    const SimulationOptions& options = context_.line.simulation;
    for (int i = 0; i < options.modules; ++i) {
        SimulatedInterface& module = simulated->AddModule(ProductName(options.name));
        const ConfigLoadResult prepared = PrepareSimulatedModule(options, *module.module, i);
        if (!prepared.ok) {
            context_.Message(FileMessage(StateFileOf(options, i), prepared.message, prepared.reason));
            return EXIT_REFUSED_INPUT;
        }
        simulated_.emplace_back(module.path, module.module);
    }
    platform_ = simulated.get();
    owned_ = std::move(simulated);
    return EXIT_OK;
}

void ModuleAccess::MakeSession() {
    session_ = std::make_unique<Session>(platform_);
    session_->pause.Replace(environment_.pause);
    session_->debugOutput.SetSink([this](std::string_view text) {
        if (context_.line.verbose) context_.Debug(text);
        std::string line(text);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        debugTexts_.push_back(std::move(line));
    });
}

int ModuleAccess::Scan() {
    HidDeviceTable& devices = session_->Devices();
    devices.HID_ClearList();
    return devices.HID_Enumerate();
}

void ModuleAccess::ReportAccessDenied() const {
    if (session_->Devices().AccessDeniedCount() > 0) context_.Message(DEVICE_ACCESS_DENIED_MESSAGE);
}

int ModuleAccess::OpenSelectedModule() {
    const int index = context_.line.deviceIndex;
    const int count = scanned_ != nullptr ? session_->Devices().Count() : Scan();
    if (index >= count) {
        context_.Message("No LQ-3860 module in slot " + std::to_string(index) + ".");
        ReportAccessDenied();
        return EXIT_MODULE_FAILURE;
    }
    if (!session_->link.OpenModule(index)) {
        context_.Message(session_->Devices().LastOpenInUse()
                             ? MODULE_IN_USE_MESSAGE
                             : "The LQ-3860 module in slot " + std::to_string(index) + " cannot be opened.");
        return EXIT_MODULE_FAILURE;
    }
    return EXIT_OK;
}

bool ModuleAccess::MemoryKept() const {
    const char* open = session_->Devices().Path(context_.line.deviceIndex);
    for (const auto& [path, module] : simulated_) {
        if (open != nullptr && path == open && module->StateSaveFailed()) {
            context_.Message(module->StateSaveFailure());
            return false;
        }
    }
    return true;
}

std::string ModuleAccess::LastDebugText() const {
    return debugTexts_.empty() ? std::string() : debugTexts_.back();
}

}  // namespace lq3860
