// SPDX-License-Identifier: MIT
// The Windows device events from recorded notifications: Wine 8 has no
// CM_Register_Notification, so the notifications are made here byte for
// byte as the system hands them to the callback.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/device_path_windows.h"
#include "device/hotplug_monitor_windows.h"

namespace lq3860 {
namespace {

// The HID interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
constexpr GUID HID_CLASS = {0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr GUID KEYBOARD_CLASS = {0x884b96c3, 0x56ef, 0x11d1, {0xbc, 0x8c, 0x00, 0xa0, 0xc9, 0x14, 0x05, 0xdd}};
constexpr std::size_t NAME_OFFSET = offsetof(CM_NOTIFY_EVENT_DATA, u.DeviceInterface.SymbolicLink);

// A module's interface as a notification names it, and as the listing does.
const wchar_t* const MODULE_LINK =
    LR"(\\?\HID#VID_7E3A&PID_3860#7&2A1F1B3C&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
const char* const MODULE_PATH = R"(\\?\hid#vid_7e3a&pid_3860#7&2a1f1b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";

// One notification: the fixed part, the class and the terminated name, in a
// buffer of the size the system reports.
struct Notification {
    std::vector<unsigned char> bytes;
    const CM_NOTIFY_EVENT_DATA* Data() const { return reinterpret_cast<const CM_NOTIFY_EVENT_DATA*>(bytes.data()); }
    DWORD Size() const { return static_cast<DWORD>(bytes.size()); }
};

Notification Recorded(const std::wstring& link, const GUID& interfaceClass = HID_CLASS,
                      CM_NOTIFY_FILTER_TYPE type = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE) {
    Notification n;
    n.bytes.assign(NAME_OFFSET + (link.size() + 1) * sizeof(wchar_t), 0);
    auto* data = reinterpret_cast<CM_NOTIFY_EVENT_DATA*>(n.bytes.data());
    data->FilterType = type;
    data->u.DeviceInterface.ClassGuid = interfaceClass;
    std::memcpy(n.bytes.data() + NAME_OFFSET, link.c_str(), (link.size() + 1) * sizeof(wchar_t));
    return n;
}

TEST(WindowsHotplugTest, ArrivalAndRemovalOfAnInterfaceAreTheSeamsEvents) {
    const Notification module = Recorded(MODULE_LINK);
    auto added = DeviceEventOfNotification(CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL, module.Data(), module.Size());
    ASSERT_TRUE(added);
    EXPECT_EQ(added->kind, DeviceEvent::Kind::Added);
    EXPECT_EQ(added->path, MODULE_PATH);  // as the listing names it, so the open module is recognised
    EXPECT_EQ(added->vendorId, 0x7e3a);
    auto removed = DeviceEventOfNotification(CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL, module.Data(), module.Size());
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->kind, DeviceEvent::Kind::Removed);
    EXPECT_EQ(removed->path, MODULE_PATH);

    // A composite device's collection: the vendor of its device.
    const Notification mouse =
        Recorded(LR"(\\?\HID#VID_046D&PID_C52B&MI_02&Col01#8&1d7b6c2a&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})");
    auto other = DeviceEventOfNotification(CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL, mouse.Data(), mouse.Size());
    ASSERT_TRUE(other);
    EXPECT_EQ(other->vendorId, 0x046d);
    // A Bluetooth collection names no USB vendor: unknown.
    const Notification bluetooth = Recorded(
        LR"(\\?\HID#{00001124-0000-1000-8000-00805f9b34fb}_VID&0002046d_PID&b342&Col01#9&3a5e1d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})");
    auto unknown =
        DeviceEventOfNotification(CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL, bluetooth.Data(), bluetooth.Size());
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->vendorId, 0);
}

TEST(WindowsHotplugTest, OtherNotificationsAndDamagedDataAreNoEvents) {
    const Notification module = Recorded(MODULE_LINK);
    for (CM_NOTIFY_ACTION action : {CM_NOTIFY_ACTION_DEVICEQUERYREMOVE, CM_NOTIFY_ACTION_DEVICEREMOVECOMPLETE,
                                    CM_NOTIFY_ACTION_DEVICEINSTANCEENUMERATED}) {
        EXPECT_FALSE(DeviceEventOfNotification(action, module.Data(), module.Size())) << action;
    }
    const auto arrival = [](const Notification& n, DWORD size) {
        return DeviceEventOfNotification(CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL, n.Data(), size).has_value();
    };
    const Notification keyboard = Recorded(MODULE_LINK, KEYBOARD_CLASS);
    EXPECT_FALSE(arrival(keyboard, keyboard.Size()));
    const Notification handle = Recorded(MODULE_LINK, HID_CLASS, CM_NOTIFY_FILTER_TYPE_DEVICEHANDLE);
    EXPECT_FALSE(arrival(handle, handle.Size()));
    // The name's terminator outside the reported size, an empty name, no name.
    EXPECT_FALSE(arrival(module, module.Size() - sizeof(wchar_t)));
    const Notification empty = Recorded(L"");
    EXPECT_FALSE(arrival(empty, empty.Size()));
    EXPECT_FALSE(arrival(module, NAME_OFFSET));
    EXPECT_FALSE(DeviceEventOfNotification(CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL, nullptr, module.Size()));
    EXPECT_TRUE(arrival(module, module.Size()));
}

TEST(WindowsHotplugTest, NotificationsWaitInOrderAndWakeTheCaller) {
    WindowsHotplugMonitor monitor;
    EXPECT_EQ(monitor.Descriptor(), -1);
    int wakeUps = 0;
    monitor.SetWakeUp([&wakeUps] { ++wakeUps; });
    const Notification module = Recorded(MODULE_LINK);
    monitor.Notify(CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL, module.Data(), module.Size());
    monitor.Notify(CM_NOTIFY_ACTION_DEVICEQUERYREMOVE, module.Data(), module.Size());
    monitor.Notify(CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL, module.Data(), module.Size());
    EXPECT_EQ(wakeUps, 2);
    const std::vector<DeviceEvent> events = monitor.TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, DeviceEvent::Kind::Added);
    EXPECT_EQ(events[1].kind, DeviceEvent::Kind::Removed);
    EXPECT_TRUE(monitor.TakeEvents().empty());

    // Without a wake-up (the window's watch has gone) events still wait.
    monitor.SetWakeUp(nullptr);
    monitor.Notify(CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL, module.Data(), module.Size());
    EXPECT_EQ(wakeUps, 2);
    EXPECT_EQ(monitor.TakeEvents().size(), 1u);
}

}  // namespace
}  // namespace lq3860
