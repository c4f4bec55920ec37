#include "cli/module_access.h"

#include <string>

#include "cli/exit_codes.h"
#include "cli/simulated_module_memory.h"
#include "device/device_access.h"
#include "device/hid_device_table.h"
#include "device/hidapi_platform.h"
#include "device/simulated_platform.h"
#include "params/config_file.h"

ModuleAccess::ModuleAccess(const ToolContext& context, HidPlatform* injected)
    : context_(context), injected_(injected) {}

ModuleAccess::~ModuleAccess() {
    HID_Close();
    HID_ClearList();
    HID_UsePlatform(nullptr);
}

int ModuleAccess::Prepare() {
    if (injected_ != nullptr) {
        HID_UsePlatform(injected_);
        return EXIT_OK;
    }
    if (!context_.line.simulate) {
        owned_ = std::make_unique<HidapiPlatform>();
        HID_UsePlatform(owned_.get());
        return EXIT_OK;
    }
    auto simulated = std::make_unique<SimulatedPlatform>();
    SimulatedInterface& module = simulated->AddModule();
    if (!context_.line.simulateFile.empty()) {
        const ConfigLoadResult loaded = AttachMemoryFile(*module.module, context_.line.simulateFile, memoryWriteFailed_);
        if (!loaded.ok) {
            context_.Message(loaded.message);
            return EXIT_REFUSED_INPUT;
        }
    }
    owned_ = std::move(simulated);
    HID_UsePlatform(owned_.get());
    return EXIT_OK;
}

int ModuleAccess::Scan() {
    HID_ClearList();
    return HID_Enumerate();
}

void ModuleAccess::ReportAccessDenied() const {
    if (HID_AccessDeniedCount() > 0) context_.Message(DEVICE_ACCESS_DENIED_MESSAGE);
}

int ModuleAccess::OpenSelectedModule(LinkState& link) {
    const int index = context_.line.deviceIndex;
    if (index >= Scan()) {
        context_.Message("No LQ-3860 module in slot " + std::to_string(index) + ".");
        ReportAccessDenied();
        return EXIT_MODULE_FAILURE;
    }
    if (!OpenModule(link, index)) {
        context_.Message("The LQ-3860 module in slot " + std::to_string(index) + " cannot be opened.");
        return EXIT_MODULE_FAILURE;
    }
    return EXIT_OK;
}

bool ModuleAccess::MemoryKept() const {
    if (memoryWriteFailed_) context_.Message(SAVE_FAILURE_MESSAGE);
    return !memoryWriteFailed_;
}
