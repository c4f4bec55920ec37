// Selecting a module, firmware texts, the signal lamps, a silent module and
// the MAC hand-off, against simulated modules.
#include "maclookup/mac_handoff.h"
#include "ui/signal_lamps.h"
#include "window_fixture.h"

class ConnectedWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        module = &platform.AddModule();
        module->module->SetFirmware('2', '1', "130715");
        OpenWindow();
        Choose(1001, 1);
        ASSERT_EQ(window->Link().deviceOpen, 1);
    }

    QString LampNames() const {
        QStringList names;
        for (int id : {1045, 1046, 1047}) names << Control<QLabel>(id)->accessibleName().section(": ", 1);
        return names.join(' ');
    }
    void ReadLevel(std::uint8_t level) {
        HidReport reply{};
        reply[10] = level;
        reply[12] = 'O';
        reply[13] = 'K';
        module->nextReply = reply;
        window->OnGetSignal();
    }

    SimulatedInterface* module = nullptr;
};

TEST_F(ConnectedWindowTest, SelectingReadsTheFirmwareAndReselectingReopensAndAsksAgain) {
    EXPECT_EQ(Shown({1003, 1017}), QStringList({"2.1", "2013/07/15 "}));
    EXPECT_TRUE(DebugSaid("HID_Open\n") && DebugSaid("OK"));

    module->module->SetFirmware('9', '9', "991231");
    module->nextReply = HidReport{};  // a refused reply keeps the texts and the link
    Choose(1001, 1);
    EXPECT_EQ(Control<QLabel>(1003)->text(), "2.1");
    EXPECT_TRUE(DebugSaid("NG"));
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(window->Link().rescanNeeded, 1);  // the close before the new open asks for a rebuild
    EXPECT_EQ(module->written.size(), 2u);

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
    EXPECT_EQ(window->Link().rescanNeeded, 0);
}

TEST_F(ConnectedWindowTest, LampsFollowANewLevelOnTheNextTickOnly) {
    const std::pair<char, const char*> rows[] = {
        {'2', "off yellow red"}, {'3', "green yellow red"}, {'1', "off off red"}, {'0', "off off off"}};
    for (auto [level, lamps] : rows) {
        SCOPED_TRACE(level);
        module->module->SetSignalLevel(level);
        window->OnGetSignal();
        EXPECT_EQ(signalLevel, level);
        if (level == '2') {
            EXPECT_EQ(LampNames(), "off off off");  // not before the tick
        }
        window->OnTimer();
        EXPECT_EQ(LampNames(), lamps);
    }
    EXPECT_TRUE(DebugSaid("RSSI= 0") && DebugSaid("RSSI= 50"));
    EXPECT_EQ(pauses, std::vector<unsigned>(4, 2000));
}

TEST_F(ConnectedWindowTest, RepeatedOrUnknownLevelLeavesTheLampsAlone) {
    ReadLevel('3');
    window->OnTimer();
    Control<QLabel>(1045)->setAccessibleName("marker");
    ReadLevel('3');  // repeated: the lamps are not set again
    window->OnTimer();
    EXPECT_EQ(Control<QLabel>(1045)->accessibleName(), "marker");
    ReadLevel(0x35);  // unknown: kept lamps, but remembered
    window->OnTimer();
    EXPECT_EQ(Control<QLabel>(1045)->accessibleName(), "marker");
    EXPECT_EQ(shownSignalLevel, 0x35);
    ReadLevel('3');  // differs from the remembered 0x35: set anew
    window->OnTimer();
    EXPECT_EQ(LampNames(), "green yellow red");
}

TEST_F(ConnectedWindowTest, SilentModuleDropsTheLinkInsteadOfHanging) {
    module->silent = true;
    window->OnGetSignal();
    EXPECT_TRUE(DebugSaid("HID_Read Err\n"));
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(pauses, std::vector<unsigned>({2000, 2000}));  // the signal wait, then the read limit
    module->silent = false;
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
    EXPECT_EQ(MacHandOff.ready, 0);
    Edit(1009)->setText("11");
    window->OnTimer();
    EXPECT_EQ(Edit(1009)->text(), "11");  // not taken again without a new hand-off
}
