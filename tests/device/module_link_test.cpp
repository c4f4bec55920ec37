// The single-command exchanges: what is written, waited and read, the debug
// texts, and how a failure drops the link.
#include <cstring>

#include "device/module_link.h"
#include "link_fixture.h"

namespace {

HidReport SignalReply(std::uint8_t level) {
    HidReport reply{};
    reply[10] = level;
    reply[12] = 'O';
    reply[13] = 'K';
    return reply;
}

}  // namespace

class ModuleLink : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        module = &platform.AddModule();
        HID_ClearList();
        ASSERT_EQ(HID_Enumerate(), 1);
    }
    void OpenLink() {
        ASSERT_TRUE(OpenModule(link, 0));
        debugTexts.clear();
    }

    SimulatedInterface* module = nullptr;
    LinkState link;
    HidReport reply{};
};

TEST_F(ModuleLink, OpenModuleSetsTheFlagAndReportsIt) {
    link.rescanNeeded = 0;
    ASSERT_TRUE(OpenModule(link, 0));
    EXPECT_EQ(link.deviceOpen, 1);
    EXPECT_EQ(link.rescanNeeded, 0);
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Open\n"});
}

TEST_F(ModuleLink, OpenModuleClosesTheOpenOneFirst) {
    ASSERT_TRUE(OpenModule(link, 0));
    link.rescanNeeded = 0;
    module->failOpen = true;
    EXPECT_FALSE(OpenModule(link, 0));
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
    // The old handle was closed: nothing reaches the module any more.
    EXPECT_FALSE(ExchangeCommand(link, CMD_FIRMWARE, 0, reply));
    EXPECT_TRUE(module->written.empty());
}

TEST_F(ModuleLink, CloseLinkClosesAndAsksForARescan) {
    OpenLink();
    link.rescanNeeded = 0;
    CloseLink(link);
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
    EXPECT_FALSE(ExchangeCommand(link, CMD_FIRMWARE, 0, reply));
}

TEST_F(ModuleLink, ExchangeWritesTheCommandWaitsAndReads) {
    OpenLink();
    ASSERT_TRUE(ExchangeCommand(link, CMD_READ_PARAMS1, 200, reply));
    ASSERT_EQ(module->written.size(), 1u);
    EXPECT_EQ(std::memcmp(module->written[0].data() + 1, "AT+iRP1\r\n", 9), 0);
    EXPECT_EQ(module->written[0][10], 0);
    EXPECT_EQ(pauses, std::vector<unsigned>{200});
    EXPECT_EQ(reply[2], 6);  // the fresh module's channel
    EXPECT_TRUE(debugTexts.empty());
}

TEST_F(ModuleLink, FailedWriteReportsAndDropsTheLinkWithoutReading) {
    OpenLink();
    link.rescanNeeded = 0;
    module->failWrite = true;
    module->pendingInput.push_back(SignalReply('2'));
    EXPECT_FALSE(ExchangeCommand(link, CMD_SIGNAL, SIGNAL_REPLY_WAIT_MS, reply));
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Write Err\n"});
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(module->pendingInput.size(), 1u);  // not read
}

TEST_F(ModuleLink, SilentModuleFailsTheReadAfterTheTimeLimit) {
    OpenLink();
    module->silent = true;
    EXPECT_FALSE(ExchangeCommand(link, CMD_SIGNAL, SIGNAL_REPLY_WAIT_MS, reply));
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Read Err\n"});
    EXPECT_EQ(pauses, (std::vector<unsigned>{SIGNAL_REPLY_WAIT_MS, HID_READ_TIMEOUT_MS}));
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
}

TEST_F(ModuleLink, ModulePulledOutMidwayFailsTheRead) {
    OpenLink();
    module->unplugAfterReports = 1;
    EXPECT_FALSE(ExchangeCommand(link, CMD_FIRMWARE, 0, reply));
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Read Err\n"});
    EXPECT_EQ(link.deviceOpen, 0);
}

TEST_F(ModuleLink, FirmwareAcceptedAndRefused) {
    OpenLink();
    module->module->SetFirmware('2', '1', "130715");
    FirmwareInfo info;
    ASSERT_EQ(QueryFirmware(link, reply, info), ReplyOutcome::Accepted);
    EXPECT_EQ(info.versionText, "2.1");
    EXPECT_EQ(info.dateText, "2013/07/15 ");
    EXPECT_EQ(debugTexts, std::vector<std::string>{"OK"});
    EXPECT_TRUE(pauses.empty());

    HidReport refused{};
    refused[16] = 'O';
    refused[17] = 'K';
    module->nextReply = refused;
    debugTexts.clear();
    EXPECT_EQ(QueryFirmware(link, reply, info), ReplyOutcome::Refused);
    EXPECT_EQ(info.versionText, "2.1");
    EXPECT_EQ(debugTexts, std::vector<std::string>{"NG"});
    EXPECT_EQ(link.deviceOpen, 1);  // a refusal keeps the link
    EXPECT_EQ(reply, refused);
}

TEST_F(ModuleLink, FirmwareOnAClosedLinkFails) {
    FirmwareInfo info;
    EXPECT_EQ(QueryFirmware(link, reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Write Err\n"});
}

TEST_F(ModuleLink, SignalReportsThePreviousLevelThenStoresTheNewOne) {
    OpenLink();
    std::uint8_t signalLevel = 0;
    module->module->SetSignalLevel('3');
    ASSERT_EQ(QuerySignal(link, reply, signalLevel), ReplyOutcome::Accepted);
    EXPECT_EQ(signalLevel, '3');
    EXPECT_EQ(debugTexts, (std::vector<std::string>{"OK", "RSSI= 0"}));
    EXPECT_EQ(pauses, std::vector<unsigned>{SIGNAL_REPLY_WAIT_MS});

    module->nextReply = SignalReply(0x35);
    debugTexts.clear();
    ASSERT_EQ(QuerySignal(link, reply, signalLevel), ReplyOutcome::Accepted);
    EXPECT_EQ(signalLevel, 0x35);
    EXPECT_EQ(debugTexts, (std::vector<std::string>{"OK", "RSSI= 51"}));
}

TEST_F(ModuleLink, RefusedSignalKeepsTheLevel) {
    OpenLink();
    std::uint8_t signalLevel = '2';
    HidReport refused = SignalReply('1');
    refused[13] = 'X';
    module->nextReply = refused;
    EXPECT_EQ(QuerySignal(link, reply, signalLevel), ReplyOutcome::Refused);
    EXPECT_EQ(signalLevel, '2');
    EXPECT_EQ(debugTexts, std::vector<std::string>{"NG"});
}

TEST_F(ModuleLink, OlderUnreadReportIsTakenAsTheReply) {
    OpenLink();
    module->pendingInput.push_back(SignalReply('1'));
    FirmwareInfo info;
    // The stale signal reply comes first and fails the firmware test.
    EXPECT_EQ(QueryFirmware(link, reply, info), ReplyOutcome::Refused);
    EXPECT_EQ(reply[10], '1');
    EXPECT_EQ(QueryFirmware(link, reply, info), ReplyOutcome::Accepted);
}

TEST_F(ModuleLink, SingleStepsReportAndDropTheLinkOnFailure) {
    OpenLink();
    HidReport report{};
    report[1] = 0x42;
    ASSERT_TRUE(WriteReport(link, report));
    ASSERT_EQ(module->written.size(), 1u);
    EXPECT_EQ(module->written[0], report);

    module->failWrite = true;
    EXPECT_FALSE(WriteCommand(link, CMD_SIGNAL));
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Write Err\n"});
    EXPECT_EQ(link.deviceOpen, 0);

    ASSERT_TRUE(OpenModule(link, 0));
    module->failWrite = false;
    debugTexts.clear();
    EXPECT_FALSE(ReadReply(link, reply));  // nothing was asked: the read times out
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Read Err\n"});
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
}
