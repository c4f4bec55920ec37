// SPDX-License-Identifier: MIT
// Device events on Windows. CM_Register_Notification (Windows 8 and later)
// is looked up when the monitor opens: where the system lacks it (Wine 8
// has none), there are no device events and the window rebuilds its module
// list on its timer after a link closes, as wherever no events arrive.
#include "device/hotplug_monitor_windows.h"

extern "C" {
#include <hidsdi.h>
}

#include <chrono>
#include <cstddef>
#include <cwchar>
#include <utility>

#include "device/device_path_windows.h"

namespace lq3860 {

namespace {

// The notification's fixed part before the interface name.
constexpr std::size_t NAME_OFFSET = offsetof(CM_NOTIFY_EVENT_DATA, u.DeviceInterface.SymbolicLink);

// As cfgmgr32.dll exports them (MinGW-w64's cfgmgr32.h declares the types
// but not the functions).
using RegisterFunction = CONFIGRET(WINAPI*)(PCM_NOTIFY_FILTER, PVOID, PCM_NOTIFY_CALLBACK, HCMNOTIFICATION*);
using UnregisterFunction = CONFIGRET(WINAPI*)(HCMNOTIFICATION);

// GetProcAddress's result as the function it is; void (*)() converts to
// any function type without a cast warning.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

DWORD CALLBACK OnNotification(HCMNOTIFICATION, PVOID context, CM_NOTIFY_ACTION action, PCM_NOTIFY_EVENT_DATA data,
                              DWORD size) {
    static_cast<WindowsHotplugMonitor*>(context)->Notify(action, data, size);
    return ERROR_SUCCESS;
}

// The monitor with its registration, which ends before the queue goes: the
// system's unregistration waits for callbacks under way.
class RegisteredHotplugMonitor final : public WindowsHotplugMonitor {
public:
    explicit RegisteredHotplugMonitor(HMODULE library) : library_(library) {}
    ~RegisteredHotplugMonitor() override {
        if (registration_ != nullptr) unregister_(registration_);
        FreeLibrary(library_);
    }
    RegisteredHotplugMonitor(const RegisteredHotplugMonitor&) = delete;
    RegisteredHotplugMonitor& operator=(const RegisteredHotplugMonitor&) = delete;

    bool Register() {
        const auto registerFunction = Lookup<RegisterFunction>(library_, "CM_Register_Notification");
        unregister_ = Lookup<UnregisterFunction>(library_, "CM_Unregister_Notification");
        if (registerFunction == nullptr || unregister_ == nullptr) return false;
        CM_NOTIFY_FILTER filter{};
        filter.cbSize = sizeof filter;
        filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
        HidD_GetHidGuid(&filter.u.DeviceInterface.ClassGuid);
        return registerFunction(&filter, this, OnNotification, &registration_) == CR_SUCCESS;
    }

private:
    HMODULE library_;
    UnregisterFunction unregister_ = nullptr;
    HCMNOTIFICATION registration_ = nullptr;
};

}  // namespace

std::optional<DeviceEvent> DeviceEventOfNotification(CM_NOTIFY_ACTION action, const CM_NOTIFY_EVENT_DATA* data,
                                                     DWORD size) {
    DeviceEvent event;
    if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL) {
        event.kind = DeviceEvent::Kind::Added;
    } else if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL) {
        event.kind = DeviceEvent::Kind::Removed;
    } else {
        return std::nullopt;
    }
    if (data == nullptr || size < NAME_OFFSET + sizeof(WCHAR) ||
        data->FilterType != CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE) {
        return std::nullopt;
    }
    GUID hidGuid{};
    HidD_GetHidGuid(&hidGuid);
    if (data->u.DeviceInterface.ClassGuid != hidGuid) return std::nullopt;
    const WCHAR* name = data->u.DeviceInterface.SymbolicLink;
    const std::size_t room = (size - NAME_OFFSET) / sizeof(WCHAR);
    const std::size_t length = wcsnlen(name, room);
    if (length == 0 || length == room) return std::nullopt;  // empty, or not terminated inside the data
    event.path = InterfacePathOf(std::wstring_view(name, length));
    event.vendorId = VendorIdOfInterfacePath(event.path);
    return event;
}

void WindowsHotplugMonitor::SetWakeUp(std::function<void()> wakeUp) {
    const std::lock_guard<std::mutex> lock(mutex_);
    wakeUp_ = std::move(wakeUp);
}

std::vector<DeviceEvent> WindowsHotplugMonitor::TakeEvents() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(events_, {});
}

bool WindowsHotplugMonitor::WaitForEvents(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !events_.empty(); });
}

void WindowsHotplugMonitor::Notify(CM_NOTIFY_ACTION action, const CM_NOTIFY_EVENT_DATA* data, DWORD size) {
    std::optional<DeviceEvent> event = DeviceEventOfNotification(action, data, size);
    if (!event) return;
    // The wake-up only queues a call into the caller's loop, so it runs under
    // the lock: it cannot be replaced or dropped halfway.
    const std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(*event));
    arrived_.notify_all();
    if (wakeUp_) wakeUp_();
}

std::unique_ptr<HotplugMonitor> OpenHostHotplugMonitor() {
    HMODULE library = LoadLibraryExW(L"cfgmgr32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr) return nullptr;
    auto monitor = std::make_unique<RegisteredHotplugMonitor>(library);
    if (!monitor->Register()) return nullptr;
    return monitor;
}

}  // namespace lq3860
