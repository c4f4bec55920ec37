// SPDX-License-Identifier: MIT
#include "cli/module_access.h"

#include <string>

#include "cli/exit_codes.h"
#include "device/device_messages.h"
#include "device/host_hid_platform.h"
#include "device/module_label.h"
#include "device/unicode_text.h"
#include "params/config_file.h"
#include "simulated_module/simulated_platform.h"
#include "simulated_module/simulation_options.h"

namespace lq3860 {

namespace {

ToolError ErrorOf(LinkFailure failure) {
    switch (failure) {
        case LinkFailure::OpenFailed: return ToolError::OpenFailed;
        case LinkFailure::InUse: return ToolError::InUse;
        case LinkFailure::WriteFailed: return ToolError::WriteFailed;
        case LinkFailure::NoReply: return ToolError::NoReply;
        case LinkFailure::NgReply: return ToolError::NgReply;
        case LinkFailure::MalformedReply: return ToolError::MalformedReply;
        case LinkFailure::ReadFailed:
        case LinkFailure::None: break;
    }
    return ToolError::LinkLost;
}

std::optional<std::u16string> ProductName(const std::optional<std::string>& name) {
    if (!name) return std::u16string(SIMULATED_MODULE_NAME);
    if (name->empty()) return std::nullopt;
    return Utf8ToUtf16(*name);
}

}  // namespace

JsonObject ModuleJson(int slot, std::string_view name, std::string_view path) {
    return JsonObject().AddNumber("slot", slot).AddText("name", name).AddText("path", path);
}

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
            return EXIT_FILE;
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

bool ModuleAccess::AllListed() const {
    const int unlisted = session_->Devices().UnlistedCount();
    if (unlisted == 0) return true;
    context_.Message(std::to_string(unlisted) + " more LQ-3860 module(s) attached than the " +
                     std::to_string(HID_MAX_DEVICES) + " this program works on.");
    return false;
}

int ModuleAccess::SelectedSlot(int count) const {
    const std::string& wanted = context_.line.deviceText;
    if (wanted.empty()) {
        if (context_.line.deviceIndex < count) return context_.line.deviceIndex;
        context_.Fail(ToolError::NoModule,
                      "No LQ-3860 module in slot " + std::to_string(context_.line.deviceIndex) + ".");
        ReportAccessDenied();
        return -1;
    }
    // A path names its module; a product name (or the start of one) must name one module only.
    std::vector<int> exact, starting;
    for (int slot = 0; slot < count; ++slot) {
        const char* path = session_->Devices().Path(slot);
        if (path != nullptr && wanted == path) return slot;
        const std::string label = ModuleLabel(session_->Devices(), slot);
        if (label == wanted) exact.push_back(slot);
        if (label.starts_with(wanted)) starting.push_back(slot);
    }
    const std::vector<int>& matches = exact.empty() ? starting : exact;
    if (matches.size() == 1) return matches.front();
    if (matches.empty()) {
        context_.Fail(ToolError::NoModule, "No LQ-3860 module with the path or name '" + wanted + "'.");
        ReportAccessDenied();
    } else {
        context_.Fail(ToolError::NoModule, "'" + wanted + "' names " + std::to_string(matches.size()) +
                                               " modules; pick one by its slot or path.");
    }
    return -1;
}

int ModuleAccess::OpenSelectedModule() {
    const int count = scanned_ != nullptr ? session_->Devices().Count() : Scan();
    const int index = SelectedSlot(count);
    if (index < 0) return ErrorCodeOf(ToolError::NoModule).status;
    selectedSlot_ = index;
    if (!session_->link.OpenModule(index)) {
        return FailLink(session_->link.Failure() == LinkFailure::InUse
                            ? MODULE_IN_USE_MESSAGE
                            : "The LQ-3860 module in slot " + std::to_string(index) + " cannot be opened.");
    }
    return EXIT_OK;
}

int ModuleAccess::FailLink(std::string_view text) const {
    return context_.Fail(ErrorOf(session_->link.Failure()), text);
}

void ModuleAccess::PrintJson(const JsonObject& fields) const {
    if (context_.share != nullptr) {
        context_.PrintJson(fields);
        return;
    }
    const char* path = session_->Devices().Path(selectedSlot_);
    context_.PrintJson(ModuleJson(selectedSlot_, ModuleLabel(session_->Devices(), selectedSlot_), path ? path : "")
                           .AddMembersOf(fields));
}

int ModuleAccess::MemoryStatus() const {
    const char* open = session_->Devices().Path(selectedSlot_);
    for (const auto& [path, module] : simulated_) {
        if (open != nullptr && path == open && module->StateSaveFailed()) {
            return context_.Fail(ToolError::File, module->StateSaveFailure());
        }
    }
    return EXIT_OK;
}

std::string ModuleAccess::LastDebugText() const {
    return debugTexts_.empty() ? std::string() : debugTexts_.back();
}

}  // namespace lq3860
