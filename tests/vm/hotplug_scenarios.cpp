// The main window on the real kernel HID stack with the host's real device
// events (the udev monitor; the guest runs no udevd, so the kernel's own
// events): a module plugged while the list is current, the open module
// pulled out, a module plugged while another is open. The window runs with
// its own 1-second timer on Qt's offscreen platform.
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "device/hidapi_platform.h"
#include "device/hotplug_monitor.h"
#include "guest_programs.h"
#include "session/session.h"
#include "ui/control_ids.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

namespace {

using Milliseconds = std::chrono::milliseconds;

class WindowOnRealStack : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WaitForHidrawNodes(0)) << "devices of an earlier scenario are still there";
        monitor_ = OpenHostHotplugMonitor();
        ASSERT_NE(monitor_, nullptr) << "no device events in this guest";
    }
    void TearDown() override {
        window_.reset();
        for (pid_t pid : modules_) Stop(pid);
    }

    // One virtual module named `name`; it takes the kernel a moment to add it.
    pid_t Plug(const std::string& name) {
        modules_.push_back(Start(SIM, {"--name", name}));
        return modules_.back();
    }
    // The window on the real modules, following the real device events, its list current.
    void OpenWindow(int modules) {
        ASSERT_TRUE(WaitForHidrawNodes(static_cast<std::size_t>(modules)));
        window_ = std::make_unique<CUtilityDlg>(session_);
        window_->WatchDeviceEvents(*monitor_);
        ASSERT_LT(RunUntil([&] { return Link().rescanNeeded == 0 && Items().size() == modules + 1; }),
                  Milliseconds(3000));
    }
    // Serves the window (ticks and device events) until `done` holds; the time that took
    // (at most the limit).
    Milliseconds RunUntil(const std::function<bool()>& done, Milliseconds limit = Milliseconds(5000)) {
        const auto start = Clock::now();
        while (!done() && Clock::now() - start < limit) QTest::qWait(10);
        return std::chrono::duration_cast<Milliseconds>(Clock::now() - start);
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
    std::vector<pid_t> modules_;
};

TEST_F(WindowOnRealStack, ModulePluggedWhileTheListIsCurrentAppearsWithinOneAndAHalfSeconds) {
    Plug("Module A");
    OpenWindow(1);
    Plug("Module B");
    const Milliseconds took = RunUntil([&] { return Items().contains("Module B"); });
    std::printf("LQ3860-VM: a plugged module was listed after %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LE(took, Milliseconds(1500));
    QStringList items = Items();
    items.sort();
    EXPECT_EQ(items, QStringList({"<None>", "Module A", "Module B"}));
}

TEST_F(WindowOnRealStack, PullingTheOpenModuleClosesItsLinkAtOnceAndTheListIsRebuilt) {
    const pid_t first = Plug("Module A");
    Plug("Module B");
    OpenWindow(2);
    Choose("Module A");
    ASSERT_EQ(Link().deviceOpen, 1);
    Stop(first);
    const Milliseconds took = RunUntil([&] { return Link().deviceOpen == 0; });
    std::printf("LQ3860-VM: the open module's link closed %lld ms after it was pulled\n",
                static_cast<long long>(took.count()));
    EXPECT_LT(took, Milliseconds(1000));  // nothing was sent: only the event closes it
    EXPECT_LT(RunUntil([&] { return Items() == QStringList({"<None>", "Module B"}); }), Milliseconds(2000));
    EXPECT_EQ(Items(), QStringList({"<None>", "Module B"}));
}

TEST_F(WindowOnRealStack, PluggingWhileAModuleIsOpenLeavesTheListAlone) {
    Plug("Module A");
    OpenWindow(1);
    Choose("Module A");
    ASSERT_EQ(Link().deviceOpen, 1);
    Plug("Module B");
    ASSERT_TRUE(WaitForHidrawNodes(2));
    RunUntil([] { return false; }, Milliseconds(2500));  // the event and two ticks
    EXPECT_EQ(Items(), QStringList({"<None>", "Module A"}));
    EXPECT_EQ(std::make_pair(Link().deviceOpen, Link().rescanNeeded), std::make_pair(1, 0));
    Choose("<None>");  // closing the link: the next tick lists what is there now
    EXPECT_LT(RunUntil([&] { return Items().size() == 3; }), Milliseconds(2000));
    EXPECT_TRUE(Items().contains("Module B"));
}

}  // namespace

}  // namespace lq3860
