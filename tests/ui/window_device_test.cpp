// SPDX-License-Identifier: MIT
// The Select Device list at start, on the timer's ticks and on device events,
// selecting a module with its firmware texts, the signal lamps, the MAC
// hand-off and modules the user may not open or another program holds, on
// simulated modules.
#include "device/device_messages.h"
#include "simulated_module/simulated_hotplug_monitor.h"
#include "window_fixture.h"

namespace lq3860 {

TEST_F(WindowTest, NoModuleListsNoneThenEmptiesAndFindsModulesPluggedInLaterInSlotOrder) {
    EXPECT_EQ(Items(id::SELECT_DEVICE) << Shown({id::SELECT_DEVICE}), QStringList({"<None>", "<None>"}));
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList());

    for (const char16_t* name : {u"First", u"Second"}) platform.AddModule(name);
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE) << Shown({id::SELECT_DEVICE}), QStringList({"<None>", "First", "Second", ""}));
}

// An empty product string is a name; control characters reach neither the
// list nor, raw, the debug output; only an unreadable name is numbered at
// start and stops a tick's rebuild (and its lamp refresh) until it reads.
TEST_F(WindowTest, ProductNamesAsListedAndLoggedAndAnUnreadableOne) {
    for (const char16_t* name : {u"Named", u"", u"Bad\x1b[31m\u0007name\u009b\t\u00e9\u6a21"}) platform.AddModule(name);
    platform.AddModule(std::nullopt);
    OpenWindow();
    const QString bad = QString::fromUtf16(u"Bad\uFFFD[31m\uFFFDname\uFFFD\uFFFD\u00e9\u6a21");
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "Named", "", bad, "Device 3"}));

    session.signalLevel = '3';
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "Named", "", bad}));
    EXPECT_EQ(debug, Texts({"Named", "", "Bad\\x1b[31m\\aname\\xc2\\x9b\\t\u00e9\u6a21", "GetName Failed"}));
    EXPECT_EQ(session.shownSignalLevel, 0);

    platform.Interface(3).productName = u"Readable";
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "Named", "", bad, "Readable"}));
    EXPECT_EQ(session.shownSignalLevel, '3');
}

// A module the user may not open is explained once; choosing one that
// another program holds says so and leaves the link closed.
TEST_F(WindowTest, ModulesWithoutPermissionOrInUseAreExplained) {
    platform.AddModule().heldByAnotherProgram = true;
    platform.AddModule().denyAccess = true;
    OpenWindow();
    Tick();
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_NE(services.messages[0].find("no permission"), std::string::npos);
    EXPECT_EQ(services.messages[1], MODULE_IN_USE_MESSAGE);
}

// Firmware texts are the module's bytes: shown as plain text, never as
// markup, with control characters replaced. Choosing "<None>" closes the link
// and keeps the texts; the next tick rebuilds the list.
TEST_F(ConnectedWindowTest, SelectingShowsTheFirmwareAsPlainTextReselectingAsksAgainAndNoneCloses) {
    EXPECT_EQ(Shown({id::FIRMWARE_VERSION, id::FIRMWARE_DATE}), QStringList({"2.1", "2013/07/15 "}));
    Module().SetFirmware('<', '\a', "<b>\x1bYZ");
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(Shown({id::FIRMWARE_VERSION, id::FIRMWARE_DATE}), QStringList({"<.\uFFFD", "20<b/>\uFFFD/YZ "}));
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_DATE)->textFormat(), Qt::PlainText);
    module->module->nextReply = HidReport{};  // a refused reply keeps the texts and the link
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_VERSION)->text(), "<.\uFFFD");
    EXPECT_EQ(window->Link().deviceOpen, 1);

    platform.AddModule(u"Another");
    Choose(id::SELECT_DEVICE, 0);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_VERSION)->text(), "<.\uFFFD");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "LQ-3860 (simulated)", "Another"}));
    module->failOpen = true;  // a module that cannot be opened stays closed, silently
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(services.messages, Texts{});
}

TEST_F(ConnectedWindowTest, LampsFollowANewKnownLevelAndAHandedOffMacPassesTheFilterOnTheNextTickOnly) {
    // A lamp name changed by hand shows whether a tick set the lamps again.
    const std::tuple<char, const char*> rows[] = {{'2', "off yellow red"},   {'3', "green yellow red"},
                                                  {'3', "marker"},           {0x35, "marker"},
                                                  {'3', "green yellow red"}, {'1', "off off red"}};
    for (auto [level, lamps] : rows) {
        SCOPED_TRACE(level);
        Control(id::LAMPS[0])->setAccessibleName("marker");
        Module().SetSignalLevel(level);
        Click(id::GET_SIGNAL);
        EXPECT_EQ(Control(id::LAMPS[0])->accessibleName(), "marker");  // not before the tick
        Tick();
        QStringList names;
        for (int lamp : id::LAMPS) names << Control(lamp)->accessibleName().section(": ", -1);
        EXPECT_EQ(names.join(' ').left(std::strlen(lamps)), lamps);  // a kept marker: not set again
        EXPECT_EQ(session.shownSignalLevel, level);                  // an unknown level is remembered all the same
    }

    Edit(id::SSID)->setText("not transferred");
    session.MacHandOff = {{"0g", "A1", "B2", "C3", "D4", "E5"}, 1};
    EXPECT_EQ(MacEdit(1)->text(), "FF");
    Tick();
    EXPECT_EQ(Shown(id::MAC_BYTES), QStringList({"0", "A1", "B2", "C3", "D4", "E5"}));
    EXPECT_EQ(Edit(id::SSID)->text(), "LQ-3860");  // bound texts written back in the same tick
    MacEdit(0)->setText("11");
    Tick();
    EXPECT_EQ(MacEdit(0)->text(), "11");  // not taken again without a new hand-off
}

// Device events, injected as the host reports them and delivered through the
// Qt event loop: the list follows LQ-3860 modules plugged and pulled while
// none is open, the open module's removal closes the link at once, and
// nothing else touches the list while a module is open. (The descriptor of
// udev's monitor is watched the same way; the VM scenarios run it.)
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

    SimulatedHotplugMonitor monitor;
    SimulatedInterface* first = nullptr;
};

TEST_F(HotplugWindowTest, WhileNoModuleIsOpenTheNextTickListsModulesPluggedOrPulledThenOnlyTheOpenOnesRemovalCounts) {
    SimulatedInterface& second = platform.AddModule(u"Second");
    SimulatedInterface& foreign = platform.AddModule(u"Foreign");
    foreign.vendorId = 0x1234;
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "First"}));  // without an event the idle list is not rescanned
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

    // While a module is open, other modules coming or going leave the list
    // and the link alone; pulling the open one closes the link at once, and
    // the next tick rebuilds the list.
    SimulatedInterface& third = platform.AddModule(u"Third");
    const std::tuple<Kind, SimulatedInterface*> events[] = {
        {Kind::Added, &third}, {Kind::Removed, first}, {Kind::Added, &second}};  // its own path added
    for (const auto& [kind, interface] : events) {
        interface->unplugged = kind == Kind::Removed;
        Report(kind, *interface);
        window->OnTimer();
        EXPECT_EQ(std::tuple(window->Link().deviceOpen, window->Link().rescanNeeded), std::tuple(1, 0));
        EXPECT_EQ(Items(1001), QStringList({"<None>", "Second"}));
    }
    window->OnGetSignal();
    EXPECT_EQ(second.written.size(), 2u);  // the firmware and the signal request: the link works on Second
    second.unplugged = true;
    Report(Kind::Removed, second);
    // Closed before any exchange or tick.
    EXPECT_EQ(std::tuple(window->Link().deviceOpen, window->Link().rescanNeeded), std::tuple(0, 1));
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Second"}));
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "Third"}));
}

}  // namespace lq3860
