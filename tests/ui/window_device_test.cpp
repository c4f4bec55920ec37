// SPDX-License-Identifier: MIT
// The Select Device list at start and on the timer's ticks, selecting a
// module with its firmware texts, the signal lamps, the MAC hand-off and
// modules the user may not open or another program holds, on simulated modules.
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

    platform.AddModule(u"First");
    platform.AddModule(u"Second");
    Tick();
    const QStringList expected({"<None>", "First", "Second"});
    EXPECT_EQ(Items(id::SELECT_DEVICE), expected);
    EXPECT_EQ(Combo(id::SELECT_DEVICE)->currentIndex(), -1);
    platform.AddModule(u"Third");
    Tick();
    EXPECT_EQ(Items(id::SELECT_DEVICE), expected);  // an idle, current list is left alone
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
    EXPECT_TRUE(services.messages.empty());
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
    session.MacHandOff = {{"0g", "A1", "B2", "C3", "D4", "E5"}, 1};
    EXPECT_EQ(MacEdit(1)->text(), "FF");
    Tick();
    EXPECT_EQ(Shown(id::MAC_BYTES), QStringList({"0", "A1", "B2", "C3", "D4", "E5"}));
    EXPECT_EQ(Edit(id::SSID)->text(), "LQ-3860");  // bound texts written back in the same tick
    MacEdit(0)->setText("11");
    Tick();
    EXPECT_EQ(MacEdit(0)->text(), "11");  // not taken again without a new hand-off
}

}  // namespace lq3860
