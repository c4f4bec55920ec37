// SPDX-License-Identifier: MIT
// Device events, injected as the host reports them and delivered through the
// Qt event loop: the list follows LQ-3860 modules plugged and pulled while
// none is open, the open module's removal closes the link at once, and
// nothing else touches the list while a module is open. (The descriptor of
// udev's monitor is watched the same way; the VM scenarios run it.)
#include "simulated_module/simulated_hotplug_monitor.h"
#include "window_fixture.h"

namespace lq3860 {

using Kind = DeviceEvent::Kind;

class HotplugWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        first = &platform.AddModule(u"First");
        OpenWindow();
        window->WatchDeviceEvents(monitor);
        window->OnTimer();  // the first tick rebuilds; the list is current from then on
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
    SimulatedInterface& foreign = platform.AddModule(u"Foreign");
    foreign.vendorId = 0x1234;
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "First"}));  // without an event: as described, not noticed
    Report(Kind::Added, foreign);
    monitor.Inject(Kind::Added, second);
    EXPECT_EQ(window->Link().rescanNeeded, 0);  // another vendor's device is no reason to rebuild, and
    QCoreApplication::processEvents();          // events are handled by the event loop, not inside the monitor
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "First", "Second"}));

    first->unplugged = true;
    Report(Kind::Removed, *first);
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Second"}));
    Choose(1001, 1);
    EXPECT_EQ(second.written.size(), 1u);  // the position names Second: its firmware was asked for
}

// While a module is open, other modules coming or going leave the list and
// the link alone; pulling the open one closes the link at once, and the next
// tick rebuilds the list.
TEST_F(HotplugWindowTest, WhileAModuleIsOpenOnlyItsOwnRemovalCounts) {
    SimulatedInterface& second = platform.AddModule(u"Second");
    Report(Kind::Added, second);
    window->OnTimer();
    Choose(1001, 2);
    SimulatedInterface& third = platform.AddModule(u"Third");
    const std::tuple<Kind, SimulatedInterface*> events[] = {
        {Kind::Added, &third}, {Kind::Removed, first}, {Kind::Added, &second}};  // its own path added
    for (const auto& [kind, interface] : events) {
        interface->unplugged = kind == Kind::Removed;
        Report(kind, *interface);
        window->OnTimer();
        EXPECT_EQ(Flags(), std::make_pair(1, 0));
        EXPECT_EQ(Items(1001), QStringList({"<None>", "First", "Second"}));
    }
    window->OnGetSignal();
    EXPECT_EQ(second.written.size(), 2u);  // the firmware and the signal request: the link works on Second

    second.unplugged = true;
    Report(Kind::Removed, second);
    EXPECT_EQ(Flags(), std::make_pair(0, 1));  // before any exchange or tick
    EXPECT_EQ(Items(1001), QStringList({"<None>", "First", "Second"}));
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Third"}));
}

}  // namespace lq3860
