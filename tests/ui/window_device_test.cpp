// Selecting a module, firmware texts, the signal lamps, a silent module and
// the MAC hand-off, against simulated modules.
#include "maclookup/mac_handoff.h"
#include "ui/signal_lamps.h"
#include "window_fixture.h"

namespace {

HidReport SignalReply(std::uint8_t level) {
    HidReport reply{};
    reply[10] = level;
    reply[12] = 'O';
    reply[13] = 'K';
    return reply;
}

}  // namespace

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

    SimulatedInterface* module = nullptr;
};

TEST_F(ConnectedWindowTest, SelectingReadsTheFirmwareInformation) {
    EXPECT_EQ(Control<QLabel>(1003)->text(), "2.1");
    EXPECT_EQ(Control<QLabel>(1017)->text(), "2013/07/15 ");
    EXPECT_TRUE(DebugSaid("HID_Open\n"));
    EXPECT_TRUE(DebugSaid("OK"));
}

TEST_F(ConnectedWindowTest, ReselectingTheOpenModuleReopensAndAsksAgain) {
    Choose(1001, 1);
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(window->Link().rescanNeeded, 1);  // the close before the new open asks for a rebuild
    EXPECT_EQ(module->written.size(), 2u);
}

TEST_F(ConnectedWindowTest, RefusedFirmwareReplyKeepsTheTextsAndTheLink) {
    HidReport bad{};
    module->nextReply = bad;
    module->module->SetFirmware('9', '9', "991231");
    Choose(1001, 1);
    EXPECT_EQ(Control<QLabel>(1003)->text(), "2.1");
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_TRUE(DebugSaid("NG"));
}

TEST_F(ConnectedWindowTest, ChoosingNoneClosesAndTheNextTickRebuilds) {
    Choose(1001, 0);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    EXPECT_EQ(Control<QLabel>(1003)->text(), "2.1");  // closing keeps the texts
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "LQ-3860 (simulated)"}));
    EXPECT_EQ(Combo(1001)->currentIndex(), -1);
    EXPECT_EQ(window->Link().rescanNeeded, 0);
}

TEST_F(ConnectedWindowTest, NoRebuildWhileConnected) {
    platform.AddModule(u"Another");
    window->OnTimer();
    EXPECT_EQ(Items(1001).size(), 2);
}

TEST_F(ConnectedWindowTest, ModuleThatCannotBeOpenedAnyMoreStaysClosedSilently) {
    module->failOpen = true;
    Choose(1001, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(ConnectedWindowTest, LampsFollowTheLevelOnTheNextTick) {
    module->module->SetSignalLevel('2');
    window->OnGetSignal();
    EXPECT_EQ(pauses, std::vector<unsigned>({2000}));
    EXPECT_EQ(signalLevel, '2');
    EXPECT_TRUE(DebugSaid("RSSI= 0"));
    EXPECT_EQ(LampNames(), "off off off");  // not before the tick
    window->OnTimer();
    EXPECT_EQ(LampNames(), "off yellow red");

    module->module->SetSignalLevel('3');
    window->OnGetSignal();
    EXPECT_TRUE(DebugSaid("RSSI= 50"));
    window->OnTimer();
    EXPECT_EQ(LampNames(), "green yellow red");

    module->module->SetSignalLevel('1');
    window->OnGetSignal();
    window->OnTimer();
    EXPECT_EQ(LampNames(), "off off red");

    module->module->SetSignalLevel('0');
    window->OnGetSignal();
    window->OnTimer();
    EXPECT_EQ(LampNames(), "off off off");
}

TEST_F(ConnectedWindowTest, UnknownLevelKeepsTheLampsButIsRemembered) {
    signalLevel = '3';
    window->OnTimer();
    ASSERT_EQ(LampNames(), "green yellow red");

    module->nextReply = SignalReply(0x35);
    window->OnGetSignal();
    ASSERT_EQ(signalLevel, 0x35);
    window->OnTimer();
    EXPECT_EQ(LampNames(), "green yellow red");
    EXPECT_EQ(shownSignalLevel, 0x35);

    // "3" again differs from the remembered 0x35, so the lamps are set anew.
    Control<QLabel>(1045)->setAccessibleName("marker");
    module->module->SetSignalLevel('3');
    window->OnGetSignal();
    window->OnTimer();
    EXPECT_EQ(Control<QLabel>(1045)->accessibleName(), "Signal lamp left: green");
}

TEST_F(ConnectedWindowTest, RepeatedLevelIsNotShownAgain) {
    module->module->SetSignalLevel('3');
    window->OnGetSignal();
    window->OnTimer();
    ASSERT_EQ(LampNames(), "green yellow red");
    // Mark a lamp by hand: a repeated level must leave it alone.
    Control<QLabel>(1045)->setAccessibleName("marker");
    window->OnGetSignal();
    window->OnTimer();
    EXPECT_EQ(Control<QLabel>(1045)->accessibleName(), "marker");
}

TEST_F(ConnectedWindowTest, SilentModuleDropsTheLinkInsteadOfHanging) {
    module->silent = true;
    window->OnGetSignal();
    EXPECT_TRUE(DebugSaid("HID_Read Err\n"));
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    EXPECT_EQ(pauses, std::vector<unsigned>({2000, 2000}));  // the signal wait, then the read limit

    module->silent = false;
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "LQ-3860 (simulated)"}));
}

TEST_F(WindowTest, GetWithoutModuleFailsTheWriteAndAsksForARebuild) {
    OpenWindow();
    window->OnTimer();  // first rebuild: nothing found
    window->OnGetSignal();
    EXPECT_TRUE(DebugSaid("HID_Write Err\n"));
    EXPECT_EQ(window->Link().rescanNeeded, 1);
    EXPECT_TRUE(pauses.empty());
    platform.AddModule();
    window->OnTimer();
    EXPECT_EQ(Items(1001).size(), 2);
}

TEST_F(WindowTest, HandedOffMacReachesTheSixEditsOnTheNextTick) {
    OpenWindow();
    MacHandOff.macText = {"00", "0C", "29", "3A", "4B", "5C"};
    EXPECT_EQ(MacTexts(), QStringList({"FF", "FF", "FF", "FF", "FF", "FF"}));
    MacHandOff.ready = 1;
    window->OnTimer();
    EXPECT_EQ(MacTexts(), QStringList({"00", "0C", "29", "3A", "4B", "5C"}));
    EXPECT_EQ(MacHandOff.ready, 0);

    // Not taken again without a new hand-off.
    Edit(1009)->setText("11");
    window->OnTimer();
    EXPECT_EQ(Edit(1009)->text(), "11");
}

TEST_F(ConnectedWindowTest, HandOffLandsWhileConnectedAndPassesTheFilter) {
    Edit(1005)->setText("not transferred");
    MacHandOff.macText = {"0g", "A1", "B2", "C3", "D4", "E5"};
    MacHandOff.ready = 1;
    window->OnTimer();
    EXPECT_EQ(MacTexts(), QStringList({"0", "A1", "B2", "C3", "D4", "E5"}));
    EXPECT_EQ(Edit(1005)->text(), "LQ-3860");  // bound texts written back in the same tick
}
