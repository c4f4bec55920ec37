// SPDX-License-Identifier: MIT
// Device events: a monitor with a descriptor (as udev's) hands them to the
// window through the Qt event loop, in order, and only there; on injected
// events the list follows LQ-3860 modules plugged and pulled while none is
// open, the open module's removal closes the link at once, and nothing else
// touches the list while a module is open.
#include <fcntl.h>
#include <unistd.h>

#include "simulated_module/simulated_hotplug_monitor.h"
#include "ui/device_event_watch.h"
#include "window_fixture.h"

namespace lq3860 {

using Kind = DeviceEvent::Kind;

namespace {

// Events behind a pipe: the descriptor turns readable when one is posted.
class PipeMonitor : public HotplugMonitor {
public:
    PipeMonitor() { EXPECT_EQ(pipe2(pipe_, O_NONBLOCK | O_CLOEXEC), 0); }
    ~PipeMonitor() override {
        close(pipe_[0]);
        close(pipe_[1]);
    }
    int Descriptor() const override { return pipe_[0]; }
    void SetWakeUp(std::function<void()>) override { ++wakeUpsSet; }
    std::vector<DeviceEvent> TakeEvents() override {
        char drained[16];
        while (read(pipe_[0], drained, sizeof drained) > 0) {}
        return std::exchange(events_, {});
    }
    void Post(DeviceEvent event) {
        events_.push_back(std::move(event));
        EXPECT_EQ(write(pipe_[1], "e", 1), 1);
    }
    int wakeUpsSet = 0;

private:
    int pipe_[2] = {-1, -1};
    std::vector<DeviceEvent> events_;
};

TEST(DeviceEventWatch, DescriptorEventsReachTheHandlerThroughTheEventLoopInOrder) {
    PipeMonitor monitor;
    std::vector<std::string> seen;
    DeviceEventWatch watch(monitor, [&seen](const DeviceEvent& event) {
        seen.push_back((event.kind == DeviceEvent::Kind::Added ? "+" : "-") + event.path);
    });
    monitor.Post({DeviceEvent::Kind::Added, "/dev/hidraw3", 0x7e3a});
    monitor.Post({DeviceEvent::Kind::Removed, "/dev/hidraw1", 0x046d});
    EXPECT_TRUE(seen.empty());
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<std::string>{"+/dev/hidraw3", "-/dev/hidraw1"}));
    QCoreApplication::processEvents();  // taken once
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(monitor.wakeUpsSet, 0);  // a descriptor needs no wake-up
}

}  // namespace

class HotplugWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        first = &platform.AddModule(u"First");
        OpenWindow();
        window->WatchDeviceEvents(monitor);
        window->OnTimer();  // the first tick rebuilds; the list is current from then on
        ASSERT_EQ(Items(1001), QStringList({"<None>", "First"}));
        ASSERT_EQ(window->Link().rescanNeeded, 0);
    }
    void TearDown() override { window.reset(); }  // the watch goes before the monitor

    // What the host reports, delivered by the event loop as a descriptor's events are.
    void Report(Kind kind, const SimulatedInterface& interface) {
        monitor.Inject(kind, interface);
        QCoreApplication::processEvents();
    }
    std::pair<int, int> Flags() const { return {window->Link().deviceOpen, window->Link().rescanNeeded}; }

    SimulatedHotplugMonitor monitor;
    SimulatedInterface* first = nullptr;
};

TEST_F(HotplugWindowTest, WhileNoModuleIsOpenTheNextTickListsModulesPluggedOrPulled) {
    SimulatedInterface& second = platform.AddModule(u"Second");
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "First"}));  // without an event: as described, not noticed

    monitor.Inject(Kind::Added, second);
    EXPECT_EQ(window->Link().rescanNeeded, 0);  // handled by the event loop, not inside the monitor
    QCoreApplication::processEvents();
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "First", "Second"}));
    EXPECT_EQ(Combo(1001)->currentIndex(), -1);

    SimulatedInterface& foreign = platform.AddModule(u"Foreign");
    foreign.vendorId = 0x1234;
    Report(Kind::Added, foreign);
    Report(Kind::Removed, foreign);
    EXPECT_EQ(window->Link().rescanNeeded, 0);  // another vendor's device is no reason to rebuild

    first->unplugged = true;
    Report(Kind::Removed, *first);
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Second"}));
    Choose(1001, 1);
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(second.written.size(), 1u);  // the position names Second: its firmware was asked for
}

TEST_F(HotplugWindowTest, PullingTheOpenModuleClosesTheLinkAtOnceAndTheNextTickRebuilds) {
    platform.AddModule(u"Second");
    Choose(1001, 1);
    ASSERT_EQ(Flags(), std::make_pair(1, 0));
    first->unplugged = true;
    Report(Kind::Removed, *first);
    EXPECT_EQ(Flags(), std::make_pair(0, 1));  // before any exchange or tick
    EXPECT_EQ(first->written.size(), 1u);      // the firmware query of the choice, nothing since
    const HidReport report{};
    EXPECT_EQ(session.Devices().HID_Write(report.data(), static_cast<int>(report.size()), nullptr),
              0);  // the handle is closed
    EXPECT_EQ(Items(1001), QStringList({"<None>", "First"}));
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Second"}));
}

TEST_F(HotplugWindowTest, WhileAModuleIsOpenOtherModulesComingOrGoingLeaveTheListAlone) {
    SimulatedInterface& second = platform.AddModule(u"Second");
    Report(Kind::Added, second);
    window->OnTimer();
    ASSERT_EQ(Items(1001), QStringList({"<None>", "First", "Second"}));
    Choose(1001, 2);
    SimulatedInterface& third = platform.AddModule(u"Third");
    const std::tuple<const char*, Kind, SimulatedInterface*> events[] = {
        {"a module plugged", Kind::Added, &third},
        {"a listed module pulled", Kind::Removed, first},
        {"the open module's path added", Kind::Added, &second},
    };
    for (const auto& [what, kind, interface] : events) {
        SCOPED_TRACE(what);
        if (kind == Kind::Removed) interface->unplugged = true;
        Report(kind, *interface);
        window->OnTimer();
        EXPECT_EQ(Flags(), std::make_pair(1, 0));
        EXPECT_EQ(Items(1001), QStringList({"<None>", "First", "Second"}));
    }
    EXPECT_EQ(Combo(1001)->currentIndex(), 2);
    window->OnGetSignal();
    EXPECT_EQ(window->Link().deviceOpen, 1);  // the link still works on the chosen module
    EXPECT_EQ(second.written.size(), 2u);     // the firmware and the signal request
}

}  // namespace lq3860
