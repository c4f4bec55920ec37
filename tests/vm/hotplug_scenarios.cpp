// SPDX-License-Identifier: MIT
// The main window on the real kernel HID stack with the host's real device
// events (the udev monitor; the guest runs no udevd, so the kernel's own
// events). The window runs with its own 1-second timer on Qt's offscreen
// platform.
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "device/hotplug_monitor.h"
#include "guest_programs.h"
#include "session/session.h"
#include "ui/control_ids.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

namespace {

using WindowOnRealStack = GuestScenario;

// Plugged while the list is current: listed within 1.5 s. Plugged while a
// module is open: the list stays as it is (the event and two ticks). The
// open module pulled: its link closes at once (nothing was sent, only the
// event closes it) and the list is rebuilt with what is there now.
TEST_F(WindowOnRealStack, TheListFollowsPluggingOnlyWhileNoModuleIsOpen) {
    const std::unique_ptr<HotplugMonitor> monitor = OpenHostHotplugMonitor();
    ASSERT_NE(monitor, nullptr) << "no device events in this guest";
    HidapiPlatform platform;
    Session session(&platform);
    const ModuleLink& link = session.link;
    const auto plug = [this](const char* name) { sims_.push_back(Start(SIM, {"--name", name})); };
    plug("Module A");
    ASSERT_TRUE(WaitForHidrawNodes(1));
    CUtilityDlg window(session);
    window.WatchDeviceEvents(*monitor);
    auto* list = window.findChild<QComboBox*>(QString::number(control_id::SELECT_DEVICE));
    const auto items = [list] {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
        return texts.sort(), texts;
    };
    // Serves the window (ticks and device events) until `done` holds; the
    // milliseconds that took (at most the limit).
    const auto runUntil = [](const std::function<bool()>& done, long long limitMs = 5000) {
        const Clock::time_point start = Clock::now();
        while (!done() && MillisecondsSince(start) < limitMs) QTest::qWait(10);
        return MillisecondsSince(start);
    };
    ASSERT_LT(runUntil([&] { return link.rescanNeeded == 0 && items().size() == 2; }), 3000);

    plug("Module B");
    const long long listed = runUntil([&] { return items().contains("Module B"); });
    std::printf("LQ3860-VM: a plugged module was listed after %lld ms\n", listed);
    EXPECT_LE(listed, 1500);
    list->setCurrentIndex(list->findText("Module A"));
    emit list->activated(list->currentIndex());
    ASSERT_EQ(link.deviceOpen, 1);
    plug("Module C");
    ASSERT_TRUE(WaitForHidrawNodes(3));
    runUntil([] { return false; }, 2500);
    EXPECT_EQ(items(), QStringList({"<None>", "Module A", "Module B"}));
    EXPECT_EQ(std::make_pair(link.deviceOpen, link.rescanNeeded), std::make_pair(1, 0));
    Stop(sims_.front());
    const long long closed = runUntil([&] { return link.deviceOpen == 0; });
    std::printf("LQ3860-VM: the open module's link closed %lld ms after it was pulled\n", closed);
    EXPECT_LT(closed, 1000);
    EXPECT_LT(runUntil([&] {
                  return items() == QStringList({"<None>", "Module B", "Module C"});
              }),
              2000)
        << items().join(',').toStdString();
}

}  // namespace

}  // namespace lq3860
