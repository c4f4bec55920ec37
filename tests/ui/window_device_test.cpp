// SPDX-License-Identifier: MIT
// Selecting a module, firmware texts, the signal lamps, a silent module, the
// MAC hand-off, a module that another program holds and product names with
// control characters, against simulated modules.
#include <cstring>

#include "device/device_messages.h"
#include "device/hid_device_table.h"
#include "window_fixture.h"

namespace lq3860 {

namespace id = control_id;

TEST_F(ConnectedWindowTest, SelectingReadsTheFirmwareAndReselectingReopensAndAsksAgain) {
    EXPECT_EQ(Shown({id::FIRMWARE_VERSION, id::FIRMWARE_DATE}), QStringList({"2.1", "2013/07/15 "}));
    Module().SetFirmware('9', '9', "991231");
    module->module->nextReply = HidReport{};  // a refused reply keeps the texts and the link
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_VERSION)->text(), "2.1");
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(module->written.size(), 1u);

    module->failOpen = true;  // a module that cannot be opened any more stays closed, silently
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_TRUE(services.messages.empty());
}

// Connected, the window holds the module (another program lists it but
// cannot open it) and its list; choosing "<None>" closes and releases it,
// keeps the texts, and the next tick rebuilds the list.
TEST_F(ConnectedWindowTest, HoldsTheModuleAndTheListUntilChoosingNoneThenTheNextTickRebuilds) {
    HidDeviceTable otherProgram(&platform);
    otherProgram.HID_ClearList();
    ASSERT_EQ(otherProgram.HID_Enumerate(), 1);
    EXPECT_EQ(otherProgram.HID_Open(0), 0);
    EXPECT_TRUE(otherProgram.LastOpenInUse());
    platform.AddModule(u"Another");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "LQ-3860 (simulated)"}));
    Choose(id::SELECT_DEVICE, 0);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(otherProgram.HID_Open(0), 1);
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_VERSION)->text(), "2.1");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "LQ-3860 (simulated)", "Another"}));
    EXPECT_EQ(Combo(id::SELECT_DEVICE)->currentIndex(), -1);
}

TEST_F(ConnectedWindowTest, LampsFollowANewKnownLevelOnTheNextTickOnly) {
    // A lamp name changed by hand shows whether a tick set the lamps again.
    const std::tuple<char, const char*> rows[] = {
        {'2', "off yellow red"},   {'3', "green yellow red"}, {'3', "marker"},     {0x35, "marker"},
        {'3', "green yellow red"}, {'1', "off off red"},      {'0', "off off off"}};
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

TEST_F(ConnectedWindowTest, SilentModuleDropsTheLinkInsteadOfHanging) {
    module->module->faults.silent = true;
    Click(id::GET_SIGNAL);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    module->module->faults.silent = false;
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "LQ-3860 (simulated)"}));
}

TEST_F(ConnectedWindowTest, HandedOffMacPassesTheFilterOnTheNextTickOnce) {
    Edit(id::SSID)->setText("not transferred");
    session.MacHandOff.macText = {"0g", "A1", "B2", "C3", "D4", "E5"};
    session.MacHandOff.ready = 1;
    EXPECT_EQ(MacEdit(1)->text(), "FF");
    Tick();
    EXPECT_EQ(MacTexts(), QStringList({"0", "A1", "B2", "C3", "D4", "E5"}));
    EXPECT_EQ(Edit(id::SSID)->text(), "LQ-3860");  // bound texts written back in the same tick
    MacEdit(0)->setText("11");
    Tick();
    EXPECT_EQ(MacEdit(0)->text(), "11");  // not taken again without a new hand-off
}

TEST_F(WindowTest, AModuleInUseIsListedAndChoosingItSaysSoAndSendsNothing) {
    SimulatedInterface& module = platform.AddModule();
    module.heldByAnotherProgram = true;
    OpenWindow();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "LQ-3860 (simulated)"}));
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(services.messages, Texts{MODULE_IN_USE_MESSAGE});
    EXPECT_TRUE(module.written.empty());
    EXPECT_FALSE(DebugSaid("HID_Open\n"));
    // Released by the other program: the same choice opens it, without a message.
    module.heldByAnotherProgram = false;
    Choose(id::SELECT_DEVICE, 1);
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(WindowTest, ControlCharactersOfAProductNameDoNotReachTheList) {
    platform.AddModule(u"Bad\x1b[31m\u0007name\u009b\t\u00e9\u6a21");
    const QString shown = QString::fromUtf16(u"Bad\uFFFD[31m\uFFFDname\uFFFD\uFFFD\u00e9\u6a21");
    OpenWindow();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", shown}));  // at start-up
    window->OnTimer();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", shown}));  // and after a rebuild
}

}  // namespace lq3860
