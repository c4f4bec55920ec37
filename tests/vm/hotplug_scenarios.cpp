// SPDX-License-Identifier: MIT
// The main window on the real kernel HID stack with the host's real device
// events (the udev monitor; the guest runs no udevd, so the kernel's own
// events): a module plugged while the list is current, the open module
// pulled out, a module plugged while another is open. The window runs with
// its own 1-second timer on Qt's offscreen platform.
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "device/hid_platform_linux.h"
#include "device/hotplug_monitor.h"
#include "guest_programs.h"
#include "session/session.h"
#include "ui/control_ids.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

namespace {

class WindowOnRealStack : public GuestScenario {
protected:
    void SetUp() override {
        GuestScenario::SetUp();
        monitor_ = OpenHostHotplugMonitor();
        ASSERT_NE(monitor_, nullptr) << "no device events in this guest";
    }
    void TearDown() override {
        window_.reset();
        GuestScenario::TearDown();
    }

    // One virtual module named `name`, not waiting for the kernel to add it.
    void PlugNamed(const std::string& name) { sims_.push_back(Start(SIM, {"--name", name})); }
    // The window on the real modules, following the real device events, its list current.
    void OpenWindow(int modules) {
        ASSERT_TRUE(WaitForHidrawNodes(modules));
        window_ = std::make_unique<CUtilityDlg>(session_);
        window_->WatchDeviceEvents(*monitor_);
        ASSERT_LT(RunUntil([&] { return Link().rescanNeeded == 0 && Items().size() == modules + 1; }), 3000);
    }
    // Serves the window (ticks and device events) until `done` holds; the milliseconds
    // that took (at most the limit).
    long long RunUntil(const std::function<bool()>& done, long long limitMs = 5000) {
        const Clock::time_point start = Clock::now();
        while (!done() && MillisecondsSince(start) < limitMs) QTest::qWait(10);
        return MillisecondsSince(start);
    }
    QComboBox* DeviceList() const { return window_->findChild<QComboBox*>(QString::number(control_id::SELECT_DEVICE)); }
    QStringList Items() const {
        QStringList items;
        for (int i = 0; i < DeviceList()->count(); ++i) items << DeviceList()->itemText(i);
        return items;
    }
    void Choose(const QString& name) {
        const int position = DeviceList()->findText(name);
        ASSERT_GE(position, 0) << name.toStdString();
        DeviceList()->setCurrentIndex(position);
        emit DeviceList()->activated(position);
    }
    const ModuleLink& Link() const { return session_.link; }

    HidapiPlatform platform_;
    Session session_{&platform_};
    std::unique_ptr<HotplugMonitor> monitor_;
    std::unique_ptr<CUtilityDlg> window_;
};

TEST_F(WindowOnRealStack, ModulePluggedWhileTheListIsCurrentAppearsWithinOneAndAHalfSeconds) {
    PlugNamed("Module A");
    OpenWindow(1);
    PlugNamed("Module B");
    const long long took = RunUntil([&] { return Items().contains("Module B"); });
    std::printf("LQ3860-VM: a plugged module was listed after %lld ms\n", took);
    EXPECT_LE(took, 1500);
    QStringList items = Items();
    items.sort();
    EXPECT_EQ(items, QStringList({"<None>", "Module A", "Module B"}));
}

TEST_F(WindowOnRealStack, PullingTheOpenModuleClosesItsLinkAtOnceAndTheListIsRebuilt) {
    PlugNamed("Module A");
    PlugNamed("Module B");
    OpenWindow(2);
    Choose("Module A");
    ASSERT_EQ(Link().deviceOpen, 1);
    Stop(sims_.front());
    const long long took = RunUntil([&] { return Link().deviceOpen == 0; });
    std::printf("LQ3860-VM: the open module's link closed %lld ms after it was pulled\n", took);
    EXPECT_LT(took, 1000);  // nothing was sent: only the event closes it
    EXPECT_LT(RunUntil([&] {
                  return Items() == QStringList({"<None>", "Module B"});
              }),
              2000)
        << Items().join(',').toStdString();
}

TEST_F(WindowOnRealStack, PluggingWhileAModuleIsOpenLeavesTheListAlone) {
    PlugNamed("Module A");
    OpenWindow(1);
    Choose("Module A");
    ASSERT_EQ(Link().deviceOpen, 1);
    PlugNamed("Module B");
    ASSERT_TRUE(WaitForHidrawNodes(2));
    RunUntil([] { return false; }, 2500);  // the event and two ticks
    EXPECT_EQ(Items(), QStringList({"<None>", "Module A"}));
    EXPECT_EQ(std::make_pair(Link().deviceOpen, Link().rescanNeeded), std::make_pair(1, 0));
    Choose("<None>");  // closing the link: the next tick lists what is there now
    EXPECT_LT(RunUntil([&] { return Items().size() == 3 && Items().contains("Module B"); }), 2000);
}

}  // namespace

}  // namespace lq3860
