// SPDX-License-Identifier: MIT
// The link to the open module, on a simulated one: what each exchange writes,
// waits and reads, its debug texts and how a failure drops the link; and a
// hostile or crowded link: reports waiting before a command, short and late
// replies, and a module that another program holds.
#include <functional>
#include <string>

#include "device/module_link.h"
#include "link_fixture.h"
#include "simulated_module/module_behaviour.h"

namespace lq3860 {

namespace {

HidReport Command(const char* command) {
    HidReport sent;
    BuildCommandReport(command, sent);
    return sent;
}

// What a fresh module answers to `command`.
HidReport OwnReply(const char* command) {
    return ModuleBehaviour().HandleOutputReport(Command(command)).value_or(HidReport{});
}

// A report with a byte everywhere, so any byte of it that survives shows.
HidReport StaleReport() {
    HidReport stale;
    stale.fill('M');
    return stale;
}

HidReport SignalReply(std::uint8_t level, char k = 'K') {
    return {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, level, 0, 'O', static_cast<std::uint8_t>(k)};
}

}  // namespace

// One module, scanned and opened; the records emptied.
class Link : public LinkFixture {
protected:
    void SetUp() override {
        AddScannedModule();
        OpenLink();
    }
    void OpenLink() {
        ASSERT_TRUE(link.OpenModule(0));
        debugTexts.clear();
        pauses.clear();
        link.rescanNeeded = 0;
    }
    bool HandleOpen() { return table.HID_Write(reply.data(), HID_REPORT_SIZE, nullptr) != 0; }
};

TEST_F(Link, OpenModuleClosesTheOpenOneFirstAndCloseLinkAsksForARescan) {
    link.CloseLink();
    EXPECT_EQ(Flags(), DROPPED);
    EXPECT_FALSE(HandleOpen());
    link.rescanNeeded = 0;
    ASSERT_TRUE(link.OpenModule(0));
    EXPECT_EQ(Flags(), KEPT);
    EXPECT_EQ(debugTexts, Texts{"HID_Open\n"});
    module->failOpen = true;
    EXPECT_FALSE(link.OpenModule(0));
    EXPECT_EQ(Flags(), DROPPED);
    EXPECT_FALSE(HandleOpen());  // the old handle was closed
    EXPECT_TRUE(module->written.empty());
}

// Firmware takes no wait; a reply without O K fails its test but keeps the
// link. Signal waits, reports the previous level and stores the new one.
TEST_F(Link, QueriesAcceptOrRefuseTheReplyTheyRead) {
    FirmwareInfo info;
    module->module->Behaviour().SetFirmware('2', '1', "130715");
    ASSERT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    EXPECT_EQ(info.versionText + info.dateText, "2.12013/07/15 ");
    module->module->nextReply = SignalReply('1');
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Refused);
    EXPECT_EQ(reply, SignalReply('1'));
    EXPECT_EQ(info.versionText, "2.1");

    std::uint8_t signalLevel = 0;
    module->module->Behaviour().SetSignalLevel('3');
    ASSERT_EQ(link.QuerySignal(reply, signalLevel), ReplyOutcome::Accepted);
    EXPECT_EQ(signalLevel, '3');
    module->module->nextReply = SignalReply(0x35);
    ASSERT_EQ(link.QuerySignal(reply, signalLevel), ReplyOutcome::Accepted);
    EXPECT_EQ(signalLevel, 0x35);
    module->module->nextReply = SignalReply('1', 'X');
    EXPECT_EQ(link.QuerySignal(reply, signalLevel), ReplyOutcome::Refused);
    EXPECT_EQ(signalLevel, 0x35);
    EXPECT_EQ(debugTexts, (Texts{"OK", "NG", "OK", "RSSI= 0", "OK", "RSSI= 51", "NG"}));
    EXPECT_EQ(pauses, std::vector<unsigned>(3, SIGNAL_REPLY_WAIT_MS));
    EXPECT_EQ(Flags(), KEPT);
    EXPECT_EQ(std::vector<HidReport>(module->written.end() - 3, module->written.end()),
              std::vector<HidReport>(3, Command(CMD_SIGNAL)));
}

TEST_F(Link, EveryCommandTakesTheReplyToItselfWhateverWasWaiting) {
    struct Row {
        const char* what;
        std::function<void(SimulatedInterface&)> before;
    };
    const std::vector<Row> rows = {
        {"nothing waiting", [](SimulatedInterface&) {}},
        {"a report left from an earlier program",
         [](SimulatedInterface& m) { m.pendingInput.push_back(StaleReport()); }},
        {"as many reports as the link drops",
         [](SimulatedInterface& m) { m.pendingInput.assign(HID_DISCARD_MAX_REPORTS, StaleReport()); }},
        {"a short report", [](SimulatedInterface& m) { m.pendingInput.emplace_back(StaleReport(), 3); }},
        {"every reply sent twice", [](SimulatedInterface& m) { m.module->faults.doubleReplies = true; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        module->pendingInput.clear();
        module->module->faults = {};
        row.before(*module);
        for (const char* command : {CMD_FIRMWARE, CMD_SIGNAL, CMD_READ_PARAMS1, CMD_READ_PARAMS2, CMD_FIRMWARE}) {
            pauses.clear();
            ASSERT_TRUE(link.ExchangeCommand(command, 0, reply)) << command;
            EXPECT_EQ(reply, OwnReply(command)) << command;
            EXPECT_TRUE(pauses.empty()) << command;  // dropping waits for nothing
        }
        EXPECT_TRUE(debugTexts.empty());  // nor does it say anything
        EXPECT_EQ(Flags(), KEPT);
    }
    // A module that floods the link cannot hold the host in the dropping loop.
    module->pendingInput.assign(HID_DISCARD_MAX_REPORTS + 2, StaleReport());
    EXPECT_EQ(table.DiscardPendingInput(), HID_DISCARD_MAX_REPORTS);
    EXPECT_EQ(module->pendingInput.size(), 2u);
}

// A failed step says so once and drops the link, closing the handle. A
// failed write reads nothing and waits for no reply. A read that fails while
// the waiting reports are dropped is the exchange's business: the command
// still goes out and its own read reports the failure.
TEST_F(Link, AFailedStepReportsOnceAndDropsTheLink) {
    module->failWrite = true;
    std::uint8_t level = '2';
    EXPECT_EQ(link.QuerySignal(reply, level), ReplyOutcome::LinkFailed);
    EXPECT_EQ(std::tuple(level, debugTexts, pauses.size(), Flags()),
              std::tuple('2', Texts{"HID_Write Err\n"}, 0u, DROPPED));
    module->failWrite = false;
    EXPECT_FALSE(HandleOpen());  // working again, but the handle was closed

    OpenLink();
    module->pendingInput.push_back(StaleReport());
    module->failRead = true;
    FirmwareInfo info;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, Texts{"HID_Read Err\n"});
    EXPECT_EQ(module->written, (std::vector<HidReport>{Command(CMD_SIGNAL), Command(CMD_FIRMWARE)}));
    EXPECT_EQ(Flags(), DROPPED);
    // On a closed link nothing is dropped and the write fails as before.
    debugTexts.clear();
    module->failRead = false;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, Texts{"HID_Write Err\n"});
    EXPECT_EQ(module->pendingInput.size(), 2u);  // the old report and the unread reply
}

// A reply later than a read's time limit fails the read after that limit;
// one within the limit is waited for.
TEST_F(Link, LateReplyFailsAfterOneReadLimitAndDropsTheLink) {
    FirmwareInfo info;
    module->module->faults.replyDelayMs = HID_READ_TIMEOUT_MS + 500;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(std::tuple(pauses, debugTexts, Flags()),
              std::tuple(std::vector<unsigned>{HID_READ_TIMEOUT_MS}, Texts{"HID_Read Err\n"}, DROPPED));
    OpenLink();
    module->pendingInput.clear();
    module->module->faults.replyDelayMs = HID_READ_TIMEOUT_MS - 100;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    EXPECT_EQ(pauses, std::vector<unsigned>{HID_READ_TIMEOUT_MS - 100});
}

TEST_F(Link, BytesTheModuleDidNotSendAreZero) {
    FirmwareInfo info;
    ASSERT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    // The firmware reply again, cut before its O and K: the O and K of the
    // previous reply must not stand in for them.
    module->module->faults.replyPayloadBytes = 16;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Refused);
    HidReport expected = OwnReply(CMD_FIRMWARE);
    std::fill(expected.begin() + 17, expected.end(), std::uint8_t{0});
    EXPECT_EQ(reply, expected);
    // One payload byte into a buffer full of an earlier reply: two bytes read, the rest zero.
    module->module->faults.replyPayloadBytes = 1;
    reply = StaleReport();
    int read = 0;
    ASSERT_TRUE(link.WriteCommand(CMD_SIGNAL));
    ASSERT_EQ(table.HID_Read(reply.data(), HID_REPORT_SIZE, &read), 1);
    EXPECT_EQ(read, 2);
    EXPECT_EQ(reply, HidReport{});
}

// Held by another session of this process, then by another program: listed
// and named, but not opened, and nothing is sent.
TEST_F(Link, AModuleInUseIsListedAndNamedButNotOpened) {
    HidDeviceTable other(&platform);
    other.HID_ClearList();
    ASSERT_EQ(other.HID_Enumerate(), 1);
    link.CloseLink();
    ASSERT_EQ(other.HID_Open(0), 1);
    for (const bool anotherProgram : {false, true}) {
        SCOPED_TRACE(anotherProgram);
        if (anotherProgram) other.HID_Close();
        module->heldByAnotherProgram = anotherProgram;
        ASSERT_EQ(Rescan(), 1);
        char name[HID_PRODUCT_NAME_SIZE] = {};
        EXPECT_EQ(table.HID_GetName(0, name, sizeof name), 1);
        EXPECT_STREQ(name, "LQ-3860 (simulated)");
        EXPECT_FALSE(link.OpenModule(0));
        EXPECT_TRUE(table.LastOpenInUse());
        EXPECT_EQ(link.deviceOpen, 0);
    }
    EXPECT_TRUE(module->written.empty());
    // A failed open for another reason is not "in use"; released, the module opens and is in use for others.
    module->heldByAnotherProgram = false;
    module->failOpen = true;
    EXPECT_FALSE(link.OpenModule(0));
    EXPECT_FALSE(table.LastOpenInUse());
    module->failOpen = false;
    EXPECT_TRUE(link.OpenModule(0));
    EXPECT_EQ(other.HID_Open(0), 0);
    EXPECT_TRUE(other.LastOpenInUse());
}

}  // namespace lq3860
