#include "cli/module_access.h"

#include <string>

#include "cli/exit_codes.h"
#include "device/device_access.h"
#include "device/host_hid_platform.h"
#include "device/unicode_text.h"
#include "params/config_file.h"
#include "simulation/simulated_platform.h"
#include "simulation/simulation_options.h"

namespace lq3860 {

namespace {

constexpr const char16_t* SIMULATED_NAME = u"LQ-3860 (simulated)";

std::optional<std::u16string> ProductName(const std::optional<std::string>& name) {
    if (!name) return std::u16string(SIMULATED_NAME);
    if (name->empty()) return std::nullopt;
    return Utf8ToUtf16(*name);
}

}  // namespace

ModuleAccess::ModuleAccess(const ToolContext& context, const ToolEnvironment& environment)
    : context_(context), environment_(environment) {}

int ModuleAccess::Prepare() {
    HidPlatform* platform = environment_.platform;
    if (platform == nullptr && !context_.line.simulate) {
        owned_ = HostHidPlatform();
        platform = owned_.get();
    } else if (platform == nullptr) {
        auto simulated = std::make_unique<SimulatedPlatform>();
        simulated->readWait.Replace(environment_.pause);
        SimulatedInterface& module = simulated->AddModule(ProductName(context_.line.simulation.name));
        simulated_ = module.module;
        const ConfigLoadResult prepared = PrepareSimulatedModule(context_.line.simulation, *simulated_);
        if (!prepared.ok) {
            context_.Message(prepared.message);
            return EXIT_REFUSED_INPUT;
        }
        platform = simulated.get();
        owned_ = std::move(simulated);
    }
    session_ = std::make_unique<Session>(platform);
    session_->pause.Replace(environment_.pause);
    session_->debugOutput.SetSink([this](std::string_view text) {
        if (context_.line.verbose) context_.Debug(text);
        std::string line(text);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        debugTexts_.push_back(std::move(line));
    });
    return EXIT_OK;
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
    if (index >= Scan()) {
        context_.Message("No LQ-3860 module in slot " + std::to_string(index) + ".");
        ReportAccessDenied();
        return EXIT_MODULE_FAILURE;
    }
    if (!session_->link.OpenModule(index)) {
        context_.Message("The LQ-3860 module in slot " + std::to_string(index) + " cannot be opened.");
        return EXIT_MODULE_FAILURE;
    }
    return EXIT_OK;
}

bool ModuleAccess::MemoryKept() const {
    const bool kept = simulated_ == nullptr || !simulated_->StateSaveFailed();
    if (!kept) context_.Message(SAVE_FAILURE_MESSAGE);
    return kept;
}

std::string ModuleAccess::LastDebugText() const {
    return debugTexts_.empty() ? std::string() : debugTexts_.back();
}

}  // namespace lq3860
