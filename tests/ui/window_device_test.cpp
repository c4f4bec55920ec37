// SPDX-License-Identifier: MIT
// The Select Device list at start and on the timer's ticks, selecting a
// module with its firmware texts, the signal lamps, a silent module, the MAC
// hand-off and a module that another program holds, on simulated modules.
#include <cstring>

#include "device/device_messages.h"
#include "device/hid_device_table.h"
#include "window_fixture.h"

namespace lq3860 {

namespace id = control_id;

TEST_F(WindowTest, NoModuleListsNoneThenEmptiesAndFindsModulesPluggedInLaterInSlotOrder) {
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>"}));
    EXPECT_EQ(Combo(id::SELECT_DEVICE)->currentIndex(), 0);
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList());
    Click(id::GET_SIGNAL);  // Get without a module fails its write
    EXPECT_EQ(debug, Texts({"HID_Write Err\n"}));

    platform.AddModule(u"First");
    platform.AddModule(u"Second");
    Tick();
    const QStringList expected({"<None>", "First", "Second"});
    EXPECT_EQ(Items(id::SELECT_DEVICE), expected);
    EXPECT_EQ(Combo(id::SELECT_DEVICE)->currentIndex(), -1);
    platform.AddModule(u"Third");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), expected);  // an idle, current list is left alone

    Choose(id::SELECT_DEVICE, 2);
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(platform.Interface(1).written.size(), 1u);  // slot 1 got the firmware query
    EXPECT_TRUE(platform.Interface(0).written.empty());
}

// An empty product string is a name; control characters reach neither the
// list nor, raw, the debug output; only an unreadable name is numbered at
// start and stops a tick's rebuild (and its lamp refresh) until it reads.
TEST_F(WindowTest, ProductNamesAsListedAndLoggedAndAnUnreadableOne) {
    platform.AddModule(u"Named");
    platform.AddModule(u"");
    platform.AddModule(u"Bad\x1b[31m\u0007name\u009b\t\u00e9\u6a21");
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

TEST_F(WindowTest, ModuleWithoutPermissionIsExplainedOnce) {
    platform.AddModule().denyAccess = true;
    OpenWindow();
    Tick();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find("no permission"), std::string::npos);
}

// Firmware texts are the module's bytes: shown as plain text, never as
// markup, with control characters replaced.
TEST_F(ConnectedWindowTest, SelectingShowsTheFirmwareAsPlainTextAndReselectingReopensAndAsksAgain) {
    EXPECT_EQ(Shown({id::FIRMWARE_VERSION, id::FIRMWARE_DATE}), QStringList({"2.1", "2013/07/15 "}));
    Module().SetFirmware('<', '\a', "<b>XYZ");
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(Shown({id::FIRMWARE_VERSION, id::FIRMWARE_DATE}), QStringList({"<.\uFFFD", "20<b/>X/YZ "}));
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_DATE)->textFormat(), Qt::PlainText);
    module->module->nextReply = HidReport{};  // a refused reply keeps the texts and the link
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_VERSION)->text(), "<.\uFFFD");
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(module->written.size(), 2u);

    module->failOpen = true;  // a module that cannot be opened any more stays closed, silently
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_TRUE(services.messages.empty());
}

// Connected, the window keeps its list; choosing "<None>" closes the link,
// keeps the texts, and the next tick rebuilds the list.
TEST_F(ConnectedWindowTest, KeepsTheListUntilChoosingNoneThenTheNextTickRebuilds) {
    platform.AddModule(u"Another");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "LQ-3860 (simulated)"}));
    Choose(id::SELECT_DEVICE, 0);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_VERSION)->text(), "2.1");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "LQ-3860 (simulated)", "Another"}));
    EXPECT_EQ(Combo(id::SELECT_DEVICE)->currentIndex(), -1);
}

TEST_F(ConnectedWindowTest, LampsFollowANewKnownLevelOnTheNextTickOnly) {
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
}

TEST_F(ConnectedWindowTest, HandedOffMacPassesTheFilterOnTheNextTickOnce) {
    Edit(id::SSID)->setText("not transferred");
    session.MacHandOff.macText = {"0g", "A1", "B2", "C3", "D4", "E5"};
    session.MacHandOff.ready = 1;
    EXPECT_EQ(MacEdit(1)->text(), "FF");
    Tick();
    EXPECT_EQ(Shown(id::MAC_BYTES), QStringList({"0", "A1", "B2", "C3", "D4", "E5"}));
    EXPECT_EQ(Edit(id::SSID)->text(), "LQ-3860");  // bound texts written back in the same tick
    MacEdit(0)->setText("11");
    Tick();
    EXPECT_EQ(MacEdit(0)->text(), "11");  // not taken again without a new hand-off
}

TEST_F(WindowTest, AModuleInUseIsListedAndChoosingItSaysSoAndSendsNothingUntilReleased) {
    SimulatedInterface& module = platform.AddModule();
    module.heldByAnotherProgram = true;
    OpenWindow();
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(services.messages, Texts{MODULE_IN_USE_MESSAGE});
    EXPECT_TRUE(module.written.empty());
    module.heldByAnotherProgram = false;
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(services.messages.size(), 1u);
}

}  // namespace lq3860
