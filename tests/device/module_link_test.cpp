// The single-command exchanges: what is written, waited and read, the debug
// texts, and how a failure drops the link.
#include "device/module_link.h"
#include "link_fixture.h"

namespace lq3860 {

namespace {

HidReport SignalReply(std::uint8_t level, char k = 'K') {
    return {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, level, 0, 'O', static_cast<std::uint8_t>(k)};
}

}  // namespace

class ModuleLinkTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        AddScannedModule();
    }
    void OpenLink() {
        ASSERT_TRUE(link.OpenModule(0));
        debugTexts.clear();
        link.rescanNeeded = 0;
    }
    // Clears every injected fault; open connections stay.
    void ResetModule() {
        SimulatedInterface fresh;
        fresh.path = module->path;
        fresh.module = std::make_shared<SimulatedModule>();
        *module = fresh;
    }
};

TEST_F(ModuleLinkTest, OpenModuleClosesTheOpenOneFirstAndCloseLinkAsksForARescan) {
    link.rescanNeeded = 0;
    ASSERT_TRUE(link.OpenModule(0));
    EXPECT_EQ(Flags(), KEPT);
    EXPECT_EQ(debugTexts, Texts{"HID_Open\n"});
    module->failOpen = true;
    EXPECT_FALSE(link.OpenModule(0));
    EXPECT_EQ(Flags(), DROPPED);
    EXPECT_FALSE(link.WriteCommand(CMD_FIRMWARE));  // the old handle was closed

    module->failOpen = false;
    OpenLink();
    link.CloseLink();
    EXPECT_EQ(Flags(), DROPPED);
    EXPECT_FALSE(link.WriteCommand(CMD_FIRMWARE));
    EXPECT_TRUE(module->written.empty());
}

TEST_F(ModuleLinkTest, FailedTransferReportsAndDropsTheLink) {
    struct Row {
        const char* what;
        void (*inject)(SimulatedInterface&);
        const char* text;
        std::vector<unsigned> waits;
        std::size_t unreadAfter;
    };
    const std::vector<Row> rows = {
        // A failed write reads nothing (no wait for a reply); the report
        // waiting from before was dropped ahead of the command, silently.
        {"write fails",
         [](SimulatedInterface& m) {
             m.failWrite = true;
             m.pendingInput.push_back(SignalReply('2'));
         },
         "HID_Write Err\n",
         {},
         0},
        {"handle closed", nullptr, "HID_Write Err\n", {}, 0},
        {"silent",
         [](SimulatedInterface& m) { m.module->faults.silent = true; },
         "HID_Read Err\n",
         {SIGNAL_REPLY_WAIT_MS, HID_READ_TIMEOUT_MS},
         0},
        {"pulled out",
         [](SimulatedInterface& m) { m.module->faults.unplugAfterReports = 1; },
         "HID_Read Err\n",
         {SIGNAL_REPLY_WAIT_MS},
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ResetModule();
        OpenLink();
        pauses.clear();
        if (row.inject != nullptr) {
            row.inject(*module);
        } else {
            table.HID_Close();
        }
        std::uint8_t level = '2';
        EXPECT_EQ(link.QuerySignal(reply, level), ReplyOutcome::LinkFailed);
        EXPECT_EQ(level, '2');
        EXPECT_EQ(debugTexts, Texts{row.text});
        EXPECT_EQ(pauses, row.waits);
        EXPECT_EQ(module->pendingInput.size(), row.unreadAfter);
        EXPECT_EQ(Flags(), DROPPED);
        ResetModule();  // working again, but the handle was closed
        EXPECT_EQ(table.HID_Write(reply.data(), HID_REPORT_SIZE, nullptr), 0);
    }
}

// Firmware takes no wait; a reply without O K fails its test but keeps the
// link. Signal waits, reports the previous level and stores the new one.
TEST_F(ModuleLinkTest, QueriesAcceptOrRefuseTheReplyTheyRead) {
    FirmwareInfo info;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    OpenLink();
    module->module->Behaviour().SetFirmware('2', '1', "130715");
    ASSERT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    EXPECT_EQ(info.versionText + info.dateText, "2.12013/07/15 ");
    module->module->nextReply = SignalReply('1');
    module->module->Behaviour().SetFirmware('3', '0', "140101");
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Refused);
    EXPECT_EQ(reply, SignalReply('1'));
    EXPECT_EQ(info.versionText, "2.1");
    module->module->faults.doubleReplies = true;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    EXPECT_EQ(info.versionText, "3.0");
    EXPECT_TRUE(pauses.empty());
    ASSERT_EQ(module->pendingInput.size(), 1u);  // the second copy waits; the next command drops it
    module->module->faults.doubleReplies = false;

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
    EXPECT_EQ(debugTexts, (Texts{"OK", "NG", "OK", "OK", "RSSI= 0", "OK", "RSSI= 51", "NG"}));
    EXPECT_EQ(pauses, std::vector<unsigned>(3, SIGNAL_REPLY_WAIT_MS));
    EXPECT_EQ(Flags(), KEPT);
    HidReport signal;
    BuildCommandReport(CMD_SIGNAL, signal);
    EXPECT_EQ(std::vector<HidReport>(module->written.end() - 3, module->written.end()),
              std::vector<HidReport>(3, signal));
}

}  // namespace lq3860
