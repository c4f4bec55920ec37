// A hostile or crowded link: reports waiting before a command, short
// reports, late replies, and a module that another program holds.
#include <functional>
#include <string>

#include "device/module_link.h"
#include "link_fixture.h"
#include "params/parameter_transfer.h"
#include "simulation/module_behaviour.h"

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

class LinkRobustness : public LinkFixture {
protected:
    void SetUp() override {
        AddScannedModule();
        ASSERT_TRUE(link.OpenModule(0));
        debugTexts.clear();
        link.rescanNeeded = 0;
    }
};

TEST_F(LinkRobustness, EveryCommandTakesTheReplyToItselfWhateverWasWaiting) {
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

TEST_F(LinkRobustness, DroppingWaitingReportsKeepsTheExchangeStepsAndTheirTexts) {
    // A read that fails while dropping is the exchange's business: the command
    // still goes out and its own read reports the failure, once.
    module->pendingInput.push_back(StaleReport());
    module->failRead = true;
    FirmwareInfo info;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, Texts{"HID_Read Err\n"});
    EXPECT_EQ(module->written, std::vector<HidReport>{Command(CMD_FIRMWARE)});
    EXPECT_EQ(Flags(), DROPPED);
    // On a closed link nothing is dropped and the write fails as before.
    debugTexts.clear();
    module->failRead = false;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, Texts{"HID_Write Err\n"});
    EXPECT_EQ(module->pendingInput.size(), 2u);  // the old report and the unread reply
}

TEST_F(LinkRobustness, LateReplyFailsAfterOneReadLimitAndDropsTheLink) {
    module->module->faults.replyDelayMs = HID_READ_TIMEOUT_MS + 500;
    ModuleParamSet params{};
    EXPECT_FALSE(DownloadParams(link, reply, params, {}));
    // The first read gives up at its limit; every later step fails at once.
    EXPECT_EQ(pauses, (std::vector<unsigned>{200, HID_READ_TIMEOUT_MS, 200, 200, 200, 200}));
    EXPECT_EQ(debugTexts, (Texts{"HID_Read Err\n", "HID_Write Err\n", "HID_Read Err\n"}));
    // Within the limit the reply is simply waited for.
    ASSERT_TRUE(link.OpenModule(0));
    module->pendingInput.clear();
    module->module->faults.replyDelayMs = HID_READ_TIMEOUT_MS - 100;
    pauses.clear();
    FirmwareInfo info;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    EXPECT_EQ(pauses, std::vector<unsigned>{HID_READ_TIMEOUT_MS - 100});
}

TEST_F(LinkRobustness, BytesTheModuleDidNotSendAreZero) {
    FirmwareInfo info;
    ASSERT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    // The firmware reply again, cut before its O and K: the O and K of the
    // previous reply must not stand in for them.
    module->module->faults.replyPayloadBytes = 16;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Refused);
    HidReport expected = OwnReply(CMD_FIRMWARE);
    std::fill(expected.begin() + 17, expected.end(), std::uint8_t{0});
    EXPECT_EQ(reply, expected);

    // Both parameter replies cut to five bytes, into a buffer full of an
    // earlier reply: mode, channel, encryption and two MAC bytes, no SSID,
    // five key characters.
    module->module->faults.replyPayloadBytes = 5;
    reply = StaleReport();
    ModuleParamSet params{};
    ASSERT_TRUE(DownloadParams(link, reply, params, {}));
    EXPECT_EQ(std::vector<int>(params.mac, params.mac + MAC_LENGTH), (std::vector<int>{0x00, 0x0C, 0, 0, 0, 0}));
    EXPECT_STREQ(params.ssid, "");
    EXPECT_STREQ(params.key, "lq386");
    int read = 0;
    module->module->faults.replyPayloadBytes = 1;
    reply.fill(0xEE);
    ASSERT_TRUE(link.WriteCommand(CMD_SIGNAL));
    ASSERT_EQ(table.HID_Read(reply.data(), HID_REPORT_SIZE, &read), 1);
    EXPECT_EQ(read, 2);
    EXPECT_EQ(reply, HidReport{});
}

TEST_F(LinkRobustness, AModuleInUseIsListedAndNamedButNotOpenedAndGetsNothing) {
    // Another session of this process holds the module, then another program.
    HidDeviceTable other(&platform);
    other.HID_ClearList();
    ASSERT_EQ(other.HID_Enumerate(), 1);
    const std::vector<std::function<void()>> holders = {
        [&] {
            link.CloseLink();
            ASSERT_EQ(other.HID_Open(0), 1);
        },
        [&] {
            other.HID_Close();
            module->heldByAnotherProgram = true;
        },
    };
    for (const std::function<void()>& holdElsewhere : holders) {
        holdElsewhere();
        const std::size_t written = module->written.size();
        ASSERT_EQ(Rescan(), 1);
        char name[HID_PRODUCT_NAME_SIZE] = {};
        EXPECT_EQ(table.HID_GetName(0, name, sizeof name), 1);
        EXPECT_STREQ(name, "LQ-3860 (simulated)");
        EXPECT_FALSE(link.OpenModule(0));
        EXPECT_TRUE(table.LastOpenInUse());
        EXPECT_EQ(link.deviceOpen, 0);
        EXPECT_EQ(module->written.size(), written);
    }
    // Released: the module opens, and a failed open for another reason is not "in use".
    module->heldByAnotherProgram = false;
    EXPECT_TRUE(link.OpenModule(0));
    EXPECT_FALSE(table.LastOpenInUse());
    EXPECT_EQ(other.HID_Open(0), 0);
    EXPECT_TRUE(other.LastOpenInUse());
    link.CloseLink();
    module->failOpen = true;
    EXPECT_FALSE(link.OpenModule(0));
    EXPECT_FALSE(table.LastOpenInUse());
}

}  // namespace lq3860
