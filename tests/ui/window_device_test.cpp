// Selecting a module, firmware texts, the signal lamps, a silent module and
// the MAC hand-off, against simulated modules.
#include <cstring>

#include "window_fixture.h"

namespace lq3860 {

TEST_F(ConnectedWindowTest, SelectingReadsTheFirmwareAndReselectingReopensAndAsksAgain) {
    EXPECT_EQ(Shown({1003, 1017}), QStringList({"2.1", "2013/07/15 "}));
    module->module->Behaviour().SetFirmware('9', '9', "991231");
    module->module->nextReply = HidReport{};  // a refused reply keeps the texts and the link
    Choose(1001, 1);
    EXPECT_EQ(Control<QLabel>(1003)->text(), "2.1");
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(module->written.size(), 1u);

    module->failOpen = true;  // a module that cannot be opened any more stays closed, silently
    Choose(1001, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(ConnectedWindowTest, NoRebuildWhileConnectedButChoosingNoneClosesAndTheNextTickRebuilds) {
    platform.AddModule(u"Another");
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "LQ-3860 (simulated)"}));
    Choose(1001, 0);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(Control<QLabel>(1003)->text(), "2.1");  // closing keeps the texts
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "LQ-3860 (simulated)", "Another"}));
    EXPECT_EQ(Combo(1001)->currentIndex(), -1);
}

TEST_F(ConnectedWindowTest, LampsFollowANewKnownLevelOnTheNextTickOnly) {
    // A lamp name changed by hand shows whether a tick set the lamps again.
    const std::tuple<char, const char*> rows[] = {
        {'2', "off yellow red"},   {'3', "green yellow red"}, {'3', "marker"},     {0x35, "marker"},
        {'3', "green yellow red"}, {'1', "off off red"},      {'0', "off off off"}};
    for (auto [level, lamps] : rows) {
        SCOPED_TRACE(level);
        Control(1045)->setAccessibleName("marker");
        module->module->Behaviour().SetSignalLevel(level);
        window->OnGetSignal();
        EXPECT_EQ(Control(1045)->accessibleName(), "marker");  // not before the tick
        window->OnTimer();
        QStringList names;
        for (int id : {1045, 1046, 1047}) names << Control(id)->accessibleName().section(": ", -1);
        EXPECT_EQ(names.join(' ').left(std::strlen(lamps)), lamps);  // a kept marker: not set again
        EXPECT_EQ(shownSignalLevel, level);                          // an unknown level is remembered all the same
    }
}

TEST_F(ConnectedWindowTest, SilentModuleDropsTheLinkInsteadOfHanging) {
    module->module->faults.silent = true;
    window->OnGetSignal();
    EXPECT_EQ(window->Link().deviceOpen, 0);
    module->module->faults.silent = false;
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "LQ-3860 (simulated)"}));
}

TEST_F(ConnectedWindowTest, HandedOffMacPassesTheFilterOnTheNextTickOnce) {
    Edit(1005)->setText("not transferred");
    MacHandOff.macText = {"0g", "A1", "B2", "C3", "D4", "E5"};
    MacHandOff.ready = 1;
    EXPECT_EQ(Edit(1012)->text(), "FF");
    window->OnTimer();
    EXPECT_EQ(MacTexts(), QStringList({"0", "A1", "B2", "C3", "D4", "E5"}));
    EXPECT_EQ(Edit(1005)->text(), "LQ-3860");  // bound texts written back in the same tick
    Edit(1009)->setText("11");
    window->OnTimer();
    EXPECT_EQ(Edit(1009)->text(), "11");  // not taken again without a new hand-off
}

}  // namespace lq3860
