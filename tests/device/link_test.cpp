// SPDX-License-Identifier: MIT
// On simulated modules: the device table (which interfaces a scan keeps,
// naming, open/close and the report transfers on the shared handle) and the
// link to the open module (what each exchange writes, waits and reads, its
// debug texts and how a failure drops the link); and a hostile or crowded
// link: reports waiting before a command, short and late replies, and a
// module that another session holds.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include "device/module_link.h"
#include "link_fixture.h"
#include "simulated_module/module_behaviour.h"

namespace lq3860 {

namespace {

using Pauses = std::vector<unsigned>;

// What a fresh module answers to `command`.
HidReport OwnReply(const char* command) {
    return ModuleBehaviour().HandleOutputReport(CommandReport(command)).value_or(HidReport{});
}

}  // namespace

using DeviceTable = LinkFixture;

// The table has ten slots: an eleventh module is neither listed nor opened.
TEST_F(DeviceTable, ElevenModulesGiveTenAndTheEleventhIsNeverOpened) {
    for (int i = 0; i < 11; ++i) platform.AddModule();
    EXPECT_EQ(Rescan(), 10);
    EXPECT_STREQ(table.Path(9), "sim:9");
    EXPECT_EQ(platform.Interface(10).openCount, 0);
    table.HID_ClearList();
    EXPECT_EQ(table.Path(0), nullptr);
}

TEST_F(DeviceTable, ScanKeepsOpenableVendorCollectionsAndCountsDeniedAccessAfresh) {
    for (int i = 0; i < 10; ++i) platform.AddModule();
    const auto at = [this](int index) -> SimulatedInterface& { return platform.Interface(index); };
    at(0).vendorId = 0x046d, at(4).vendorId = 0x7e3b;                 // other vendors: never opened
    at(1).usagePage = 0x0001, at(1).usage = 0x0006, at(2).usage = 2;  // a keyboard collection, another usage
    // Denied: sim:7, sim:8 and sim:2, whose denial does not count (not our collection).
    at(2).denyAccess = at(7).denyAccess = at(8).denyAccess = at(5).unplugged = at(6).failOpen = true;
    ASSERT_EQ(Rescan(), 2);
    EXPECT_STREQ(table.Path(0), "sim:3");
    EXPECT_STREQ(table.Path(1), "sim:9");
    EXPECT_EQ(table.AccessDeniedCount(), 2);
    EXPECT_EQ(at(0).openCount, 0);
    EXPECT_EQ(at(4).openCount, 0);
    at(7).denyAccess = at(8).denyAccess = false;
    EXPECT_EQ(Rescan(), 4);
    EXPECT_EQ(table.AccessDeniedCount(), 0);
}

// Transfers fail at once while no module is open; the open link carries
// whole reports, survives a rescan and refuses bad slots and buffers. A
// failed open and a closed link: the Link tests below.
TEST_F(DeviceTable, TransfersNeedAnOpenLinkThatCarriesWholeReports) {
    AddScannedModule();
    const HidReport command = CommandReport(CMD_SIGNAL);
    int written = -1, read = -1;
    // Both transfers' results and the bytes each says it moved.
    const auto transfers = [&] {
        const int wrote = table.HID_Write(command.data(), HID_REPORT_SIZE, &written);
        return std::array{wrote, written, table.HID_Read(reply.data(), HID_REPORT_SIZE, &read), read};
    };
    EXPECT_EQ(transfers(), (std::array{0, 0, 0, 0}));
    HidDeviceTable withoutPlatform(nullptr);
    EXPECT_EQ(withoutPlatform.HID_Enumerate(), 0);
    EXPECT_EQ(withoutPlatform.HID_Open(0), 0);

    ASSERT_EQ(table.HID_Open(0), 1);
    EXPECT_EQ(Rescan(), 1);  // the open link survives a rescan
    char name[8] = "keep";
    for (int index : {1, -1, 10}) {
        EXPECT_EQ(table.HID_Open(index), 0) << index;
        EXPECT_EQ(table.HID_GetName(index, name, sizeof name), 0) << index;
    }
    EXPECT_STREQ(name, "keep");
    EXPECT_EQ(table.HID_Write(nullptr, HID_REPORT_SIZE, nullptr), 0);
    EXPECT_EQ(table.HID_Write(command.data(), 0, nullptr), 0);
    EXPECT_EQ(table.HID_Read(nullptr, HID_REPORT_SIZE, nullptr), 0);
    EXPECT_EQ(table.HID_Read(reply.data(), 0, nullptr), 0);
    ASSERT_EQ(transfers(), (std::array{1, 65, 1, 65}));
    EXPECT_EQ(module->written, std::vector<HidReport>{command});
    EXPECT_EQ(reply, *ModuleBehaviour().HandleOutputReport(command));
}

// Each name comes through a temporary handle (the link stays closed), as
// UTF-8 cut to whole characters within the buffer, which is never overrun.
// A failed open names nothing.
TEST_F(DeviceTable, ProductNamesComeThroughATemporaryHandleAsBoundedUtf8) {
    const std::tuple<std::optional<std::u16string>, int, std::optional<std::string>> rows[] = {
        {std::u16string(200, u'y'), HID_PRODUCT_NAME_SIZE, std::string(127, 'y')},  // the product string buffer
        {u"\u00e9 \u6a21\U0001F4F6", HID_PRODUCT_NAME_SIZE, "\xc3\xa9 \xe6\xa8\xa1\xf0\x9f\x93\xb6"},
        {std::u16string{u'a', char16_t{0xD800}, u'b'}, HID_PRODUCT_NAME_SIZE, "a\uFFFDb"},
        {u"ab\u6a21\u5757", 6, "ab\xe6\xa8\xa1"},  // five bytes: the second three-byte character does not fit
        {u"a\U0001F4F6", 5, "a"},
        {u"LQ-3860", 1, ""},
        {std::nullopt, 32, std::nullopt},  // unreadable product string
        {u"", 32, ""},                     // an empty product string is a name
    };
    AddScannedModule();
    const int opensAfterScan = module->openCount;
    constexpr std::size_t GUARD = 8;
    for (const auto& [name, length, expected] : rows) {
        module->productName = name;
        std::string buffer(static_cast<std::size_t>(length) + 2 * GUARD, '#');
        const int found = table.HID_GetName(0, buffer.data() + GUARD, length);
        EXPECT_EQ(found ? std::optional<std::string>(buffer.data() + GUARD) : std::nullopt, expected);
        EXPECT_EQ(buffer.substr(0, GUARD), std::string(GUARD, '#')) << "before the buffer";
        EXPECT_EQ(buffer.substr(buffer.size() - GUARD), std::string(GUARD, '#')) << "after the buffer";
    }
    EXPECT_EQ(module->openCount, opensAfterScan + static_cast<int>(std::size(rows)));
    EXPECT_EQ(table.HID_Write(reply.data(), HID_REPORT_SIZE, nullptr), 0);
    module->failOpen = true;
    char name[32];
    EXPECT_EQ(table.HID_GetName(0, name, sizeof name), 0);
}

// One module, scanned and opened; the records emptied.
class Link : public LinkFixture {
protected:
    void SetUp() override { stale.fill('M'), AddScannedModule(), OpenLink(); }
    void OpenLink() {
        ASSERT_TRUE(link.OpenModule(0));
        debugTexts.clear(), pauses.clear(), link.rescanNeeded = 0;
    }
    bool HandleOpen() { return table.HID_Write(reply.data(), HID_REPORT_SIZE, nullptr) != 0; }
    // The flags, the debug texts and the pauses.
    std::tuple<std::pair<int, int>, Texts, Pauses> Record() const { return {Flags(), debugTexts, pauses}; }
    HidReport stale;  // a byte everywhere, so any byte of it that survives shows
};

TEST_F(Link, OpenModuleClosesTheOpenOneFirstAndCloseLinkAsksForARescan) {
    link.CloseLink();
    EXPECT_EQ(std::pair(Flags(), HandleOpen()), std::pair(DROPPED, false));
    link.rescanNeeded = 0;
    ASSERT_TRUE(link.OpenModule(0));
    EXPECT_EQ(Record(), std::tuple(KEPT, Texts{"HID_Open\n"}, Pauses{}));
    module->failOpen = true;
    EXPECT_FALSE(link.OpenModule(0));
    EXPECT_EQ(std::pair(Flags(), HandleOpen()), std::pair(DROPPED, false));  // the old handle was closed
    EXPECT_FALSE(table.LastOpenInUse());                                     // failed, but not because another holds it
    EXPECT_EQ(module->written.size(), 0u);
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
    module->module->nextReply = HidReport{};
    EXPECT_EQ(link.QuerySignal(reply, signalLevel), ReplyOutcome::Refused);
    EXPECT_EQ(signalLevel, 0x35);
    EXPECT_EQ(Record(), std::tuple(KEPT, Texts{"OK", "NG", "OK", "RSSI= 0", "OK", "RSSI= 53", "NG"},
                                   Pauses(3, SIGNAL_REPLY_WAIT_MS)));
}

// Before each command the link drops what waits (up to its limit, without
// waiting or saying anything), so every command reads the reply to itself:
// a full queue, a short report, a module answering twice.
TEST_F(Link, EveryCommandTakesTheReplyToItselfWhateverWasWaiting) {
    const std::function<void(SimulatedInterface&)> waiting[] = {
        [this](SimulatedInterface& m) { m.pendingInput.assign(HID_DISCARD_MAX_REPORTS, stale); },
        [this](SimulatedInterface& m) { m.pendingInput.emplace_back(stale, 3); },
        [](SimulatedInterface& m) { m.module->faults.doubleReplies = true; },
    };
    for (const auto& before : waiting) {
        before(*module);
        for (const char* command : {CMD_FIRMWARE, CMD_SIGNAL, CMD_READ_PARAMS1, CMD_READ_PARAMS2, CMD_FIRMWARE})
            EXPECT_EQ(link.ExchangeCommand(command, 0, reply) ? reply : HidReport{}, OwnReply(command)) << command;
        module->module->faults = {};
    }
    EXPECT_EQ(Record(), std::tuple(KEPT, Texts{}, Pauses{}));
    // A module that floods the link cannot hold the host in the dropping loop.
    module->pendingInput.assign(HID_DISCARD_MAX_REPORTS + 2, stale);
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
    EXPECT_EQ(Record(), std::tuple(DROPPED, Texts{"HID_Write Err\n"}, Pauses{}));
    module->failWrite = false;
    EXPECT_FALSE(HandleOpen());  // working again, but the handle was closed

    OpenLink();
    module->pendingInput.push_back(stale);
    module->failRead = true;
    FirmwareInfo info;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(Record(), std::tuple(DROPPED, Texts{"HID_Read Err\n"}, Pauses{}));
    EXPECT_EQ(module->written, (std::vector{CommandReport(CMD_SIGNAL), CommandReport(CMD_FIRMWARE)}));
}

// A reply later than a read's time limit fails the read after that limit;
// one within the limit is waited for.
TEST_F(Link, LateReplyFailsAfterOneReadLimitAndDropsTheLink) {
    FirmwareInfo info;
    module->module->faults.replyDelayMs = HID_READ_TIMEOUT_MS + 500;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::LinkFailed);
    EXPECT_EQ(Record(), std::tuple(DROPPED, Texts{"HID_Read Err\n"}, Pauses{HID_READ_TIMEOUT_MS}));
    OpenLink();
    module->pendingInput.clear();
    module->module->faults.replyDelayMs = HID_READ_TIMEOUT_MS - 100;
    EXPECT_EQ(link.QueryFirmware(reply, info), ReplyOutcome::Accepted);
    EXPECT_EQ(pauses, Pauses{HID_READ_TIMEOUT_MS - 100});
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

// Every failure names its cause: the table tells a read that found nothing
// within its limit from one that failed, the reply's length tells a reply
// cut before its tested bytes from the module's NG. A dropped link keeps the
// first cause through the steps a procedure still runs on it.
TEST_F(Link, EveryFailureNamesItsCause) {
    FirmwareInfo info;
    const auto firmware = [&] { return link.QueryFirmware(reply, info); };
    const auto acknowledgement = [&] { return link.QueryUploadAcknowledgement(reply); };
    HidReport ng;
    BuildCommandReport("AT+iWP NG", ng);
    const std::tuple<std::function<void(SimulatedInterface&)>, std::function<ReplyOutcome()>, LinkFailure> rows[] = {
        {[](SimulatedInterface& m) { m.failWrite = true; }, firmware, LinkFailure::WriteFailed},
        {[](SimulatedInterface& m) { m.failRead = true; }, firmware, LinkFailure::ReadFailed},
        {[](SimulatedInterface& m) { m.module->faults.silent = true; }, acknowledgement, LinkFailure::NoReply},
        {[](SimulatedInterface& m) { m.module->faults.garbageReplies = true; }, firmware, LinkFailure::NgReply},
        {[&](SimulatedInterface& m) { m.module->nextReply = ng; }, acknowledgement, LinkFailure::NgReply},
        {[](SimulatedInterface& m) { m.module->faults.replyPayloadBytes = 17; }, firmware, LinkFailure::MalformedReply},
        {[](SimulatedInterface& m) { m.module->faults.replyPayloadBytes = 5; }, acknowledgement,
         LinkFailure::MalformedReply},
    };
    for (const auto& [fault, query, cause] : rows) {
        OpenLink();
        fault(*module);
        EXPECT_NE(query(), ReplyOutcome::Accepted);
        module->failWrite = module->failRead = false, module->module->faults = {};
        module->module->Behaviour() = ModuleBehaviour();  // out of an upload the announcement began
        const bool kept = link.deviceOpen != 0;           // only a refused reply keeps the link
        EXPECT_TRUE(kept || !link.ExchangeCommand(CMD_SIGNAL, 0, reply));
        EXPECT_EQ(std::pair(link.Failure(), kept), std::pair(cause, cause >= LinkFailure::NgReply));
    }
    module->failOpen = true;
    EXPECT_FALSE(link.OpenModule(0));
    EXPECT_EQ(link.Failure(), LinkFailure::OpenFailed);
}

// Held by another session of this process: listed and named, but not
// opened, and nothing is sent. Released, the module opens and is in use for
// the other. Held by another program: tests/cli.
TEST_F(Link, AModuleInUseIsListedAndNamedButNotOpened) {
    HidDeviceTable other(&platform);
    link.CloseLink();
    ASSERT_EQ(other.HID_Enumerate(), 1);
    ASSERT_EQ(other.HID_Open(0), 1);
    ASSERT_EQ(Rescan(), 1);
    char name[HID_PRODUCT_NAME_SIZE] = {};
    EXPECT_EQ(table.HID_GetName(0, name, sizeof name), 1);
    EXPECT_FALSE(link.OpenModule(0));
    EXPECT_TRUE(table.LastOpenInUse());
    EXPECT_EQ(link.Failure(), LinkFailure::InUse);
    EXPECT_EQ(module->written.size(), 0u);
    other.HID_Close();
    EXPECT_TRUE(link.OpenModule(0));
    EXPECT_EQ(other.HID_Open(0), 0);
    EXPECT_TRUE(other.LastOpenInUse());
}

}  // namespace lq3860
