// Selecting a module, firmware texts, the signal lamps, a silent module and
// the MAC hand-off, against simulated modules.
#include <cstring>

#include "window_fixture.h"

namespace lq3860 {

namespace id = control_id;

TEST_F(ConnectedWindowTest, SelectingReadsTheFirmwareAndReselectingReopensAndAsksAgain) {
    EXPECT_EQ(Shown({id::FIRMWARE_VERSION, id::FIRMWARE_DATE}), QStringList({"2.1", "2013/07/15 "}));
    module->module->Behaviour().SetFirmware('9', '9', "991231");
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

TEST_F(ConnectedWindowTest, NoRebuildWhileConnectedButChoosingNoneClosesAndTheNextTickRebuilds) {
    platform.AddModule(u"Another");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), QStringList({"<None>", "LQ-3860 (simulated)"}));
    Choose(id::SELECT_DEVICE, 0);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(Control<QLabel>(id::FIRMWARE_VERSION)->text(), "2.1");  // closing keeps the texts
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
        module->module->Behaviour().SetSignalLevel(level);
        Click(id::GET_SIGNAL);
        EXPECT_EQ(Control(id::LAMPS[0])->accessibleName(), "marker");  // not before the tick
        Tick();
        QStringList names;
        for (int lamp : id::LAMPS) names << Control(lamp)->accessibleName().section(": ", -1);
        EXPECT_EQ(names.join(' ').left(std::strlen(lamps)), lamps);  // a kept marker: not set again
        EXPECT_EQ(shownSignalLevel, level);                          // an unknown level is remembered all the same
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
    MacHandOff.macText = {"0g", "A1", "B2", "C3", "D4", "E5"};
    MacHandOff.ready = 1;
    EXPECT_EQ(MacEdit(1)->text(), "FF");
    Tick();
    EXPECT_EQ(MacTexts(), QStringList({"0", "A1", "B2", "C3", "D4", "E5"}));
    EXPECT_EQ(Edit(id::SSID)->text(), "LQ-3860");  // bound texts written back in the same tick
    MacEdit(0)->setText("11");
    Tick();
    EXPECT_EQ(MacEdit(0)->text(), "11");  // not taken again without a new hand-off
}

}  // namespace lq3860
