// A module that another program holds, and product names with control
// characters, as the window meets them.
#include "device/device_access.h"
#include "device/hid_device_table.h"
#include "window_fixture.h"

namespace lq3860 {

TEST_F(ConnectedWindowTest, TheConnectedWindowHoldsTheModuleUntilItCloses) {
    HidDeviceTable otherProgram(&platform);
    otherProgram.HID_ClearList();
    ASSERT_EQ(otherProgram.HID_Enumerate(), 1);  // listed all the same
    EXPECT_EQ(otherProgram.HID_Open(0), 0);
    EXPECT_TRUE(otherProgram.LastOpenInUse());
    Choose(1001, 0);  // "<None>" closes
    EXPECT_EQ(otherProgram.HID_Open(0), 1);
}

TEST_F(WindowTest, AModuleInUseIsListedAndChoosingItSaysSoAndSendsNothing) {
    SimulatedInterface& module = platform.AddModule();
    module.heldByAnotherProgram = true;
    OpenWindow();
    EXPECT_EQ(Items(1001), QStringList({"<None>", "LQ-3860 (simulated)"}));
    Choose(1001, 1);
    EXPECT_EQ(window->Link().deviceOpen, 0);
    EXPECT_EQ(services.messages, Texts{MODULE_IN_USE_MESSAGE});
    EXPECT_TRUE(module.written.empty());
    EXPECT_FALSE(DebugSaid("HID_Open\n"));
    // Released by the other program: the same choice opens it, without a message.
    module.heldByAnotherProgram = false;
    Choose(1001, 1);
    EXPECT_EQ(window->Link().deviceOpen, 1);
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(WindowTest, ControlCharactersOfAProductNameDoNotReachTheList) {
    platform.AddModule(u"Bad\x1b[31m\u0007name\u009b\t\u00e9\u6a21");
    const QString shown = QString::fromUtf16(u"Bad\uFFFD[31m\uFFFDname\uFFFD\uFFFD\u00e9\u6a21");
    OpenWindow();
    EXPECT_EQ(Items(1001), QStringList({"<None>", shown}));  // at start-up
    window->OnTimer();
    EXPECT_EQ(Items(1001), QStringList({"<None>", shown}));  // and after a rebuild
}

}  // namespace lq3860
