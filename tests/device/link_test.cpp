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
    EXPECT_FALSE(HandleOpen());           // the old handle was closed
    EXPECT_FALSE(table.LastOpenInUse());  // failed, but not because another holds it
    EXPECT_TRUE(module->written.empty());
}

// Firmware takes no wait; a reply without O K fails its test but keeps the
// link. Signal waits, reports the previous level and stores the new one.
TEST_F(Link, QueriesAcceptOrRefuseTheReplyTheyRead) {
    FirmwareInfo info;
    ASSERT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    module->module->nextReply = HidReport{};
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Refused);
    std::uint8_t signalLevel = 0;
    module->module->Behaviour().SetSignalLevel(0x35);
    ASSERT_EQ(link.QuerySignal(reply, signalLevel), ReplyOutcome::Accepted);
    ASSERT_EQ(link.QuerySignal(reply, signalLevel), ReplyOutcome::Accepted);
    EXPECT_EQ(signalLevel, 0x35);
    module->module->nextReply = HidReport{};
    EXPECT_EQ(link.QuerySignal(reply, signalLevel), ReplyOutcome::Refused);
    EXPECT_EQ(signalLevel, 0x35);
    EXPECT_EQ(debugTexts, (Texts{"OK", "NG", "OK", "RSSI= 0", "OK", "RSSI= 53", "NG"}));
    EXPECT_EQ(pauses, std::vector<unsigned>(3, SIGNAL_REPLY_WAIT_MS));
    EXPECT_EQ(Flags(), KEPT);
}

// Before each command the link drops what waits (up to its limit, without
// waiting or saying anything), so every command reads the reply to itself.
TEST_F(Link, EveryCommandTakesTheReplyToItselfWhateverWasWaiting) {
    const std::function<void(SimulatedInterface&)> waiting[] = {
        [](SimulatedInterface& m) { m.pendingInput.assign(HID_DISCARD_MAX_REPORTS, StaleReport()); },
        [](SimulatedInterface& m) { m.pendingInput.emplace_back(StaleReport(), 3); },  // a short report
        [](SimulatedInterface& m) { m.module->faults.doubleReplies = true; },
    };
    for (const auto& before : waiting) {
        before(*module);
        for (const char* command : {CMD_FIRMWARE, CMD_SIGNAL, CMD_READ_PARAMS1, CMD_READ_PARAMS2, CMD_FIRMWARE}) {
            ASSERT_TRUE(link.ExchangeCommand(command, 0, reply)) << command;
            EXPECT_EQ(reply, OwnReply(command)) << command;
        }
        module->module->faults = {};
    }
    EXPECT_TRUE(pauses.empty() && debugTexts.empty());
    EXPECT_EQ(Flags(), KEPT);
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
    EXPECT_EQ(level, '2');
    EXPECT_EQ(debugTexts, Texts{"HID_Write Err\n"});
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(Flags(), DROPPED);
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
}

// A reply later than a read's time limit fails the read after that limit;
// one within the limit is waited for.
TEST_F(Link, LateReplyFailsAfterOneReadLimitAndDropsTheLink) {
    FirmwareInfo info;
    module->module->faults.replyDelayMs = HID_READ_TIMEOUT_MS + 500;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(pauses, std::vector<unsigned>{HID_READ_TIMEOUT_MS});
    EXPECT_EQ(debugTexts, Texts{"HID_Read Err\n"});
    EXPECT_EQ(Flags(), DROPPED);
    OpenLink();
    module->pendingInput.clear();
    module->module->faults.replyDelayMs = HID_READ_TIMEOUT_MS - 100;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    EXPECT_EQ(pauses, std::vector<unsigned>{HID_READ_TIMEOUT_MS - 100});
}

// The firmware reply cut before its O and K, read into a buffer holding the
// whole reply: the O and K of the previous reply must not stand in for them.
TEST_F(Link, BytesTheModuleDidNotSendAreZero) {
    FirmwareInfo info;
    ASSERT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    module->module->faults.replyPayloadBytes = 16;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Refused);
    HidReport expected = OwnReply(CMD_FIRMWARE);
    std::fill(expected.begin() + 17, expected.end(), std::uint8_t{0});
    EXPECT_EQ(reply, expected);
}

// Held by another session of this process, then by another program: listed
// and named, but not opened, and nothing is sent. Released, the module
// opens and is in use for others.
TEST_F(Link, AModuleInUseIsListedAndNamedButNotOpened) {
    HidDeviceTable other(&platform);
    ASSERT_EQ(other.HID_Enumerate(), 1);
    link.CloseLink();
    ASSERT_EQ(other.HID_Open(0), 1);
    for (const bool anotherProgram : {false, true}) {
        if (anotherProgram) other.HID_Close();
        module->heldByAnotherProgram = anotherProgram;
        ASSERT_EQ(Rescan(), 1);
        char name[HID_PRODUCT_NAME_SIZE] = {};
        EXPECT_EQ(table.HID_GetName(0, name, sizeof name), 1);
        EXPECT_FALSE(link.OpenModule(0));
        EXPECT_TRUE(table.LastOpenInUse()) << anotherProgram;
    }
    EXPECT_TRUE(module->written.empty());
    module->heldByAnotherProgram = false;
    EXPECT_TRUE(link.OpenModule(0));
    EXPECT_EQ(other.HID_Open(0), 0);
    EXPECT_TRUE(other.LastOpenInUse());
}

}  // namespace lq3860
