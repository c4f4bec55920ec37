// The read and write procedures against the simulated module: waits,
// progress positions, debug texts, report bytes and failure outcomes.
#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "device/module_link.h"
#include "link_fixture.h"
#include "param_set_helpers.h"
#include "params/parameter_transfer.h"

namespace {

const std::vector<int> DOWNLOAD_POSITIONS = {250, 500, 750, 1000};
const std::vector<int> UPLOAD_POSITIONS = {500, 750, 900, 1000};
const std::vector<unsigned> DOWNLOAD_WAITS = {200, 200, 200, 200, 200};
const std::vector<unsigned> UPLOAD_WAITS = {200, 50, 200, 200, 200};

ModuleParamSet Sentinel() {
    return MakeParams(9, 99, 9, "sentinel-ssid-that-is-long", "sentinel-key", {7, 7, 7, 7, 7, 7});
}

HidReport TextReply(const char* text) {
    HidReport reply{};
    std::memcpy(reply.data() + 1, text, std::strlen(text));
    return reply;
}

}  // namespace

class ParameterTransfer : public LinkFixture {
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
        link.rescanNeeded = 0;
    }
    ProgressFunction Recorder() {
        return [this](int position) { positions.push_back(position); };
    }
    const ModuleParamSet& ModuleHolds() const { return module->module->Params(); }

    SimulatedInterface* module = nullptr;
    LinkState link;
    HidReport reply{};
    std::vector<int> positions;
};

// --- Read procedure ------------------------------------------------------------

TEST_F(ParameterTransfer, DownloadTakesBothReportsWithItsWaits) {
    const ModuleParamSet stored =
        MakeParams(1, 11, 2, "twenty-characters-xy", std::string(63, 'k'), {0x00, 0x1C, 0xFE, 0x01, 0x80, 0x7F});
    module->module->SetParams(stored);
    OpenLink();
    ModuleParamSet params = Sentinel();

    EXPECT_TRUE(DownloadParams(link, reply, params, Recorder()));
    ExpectSameParams(stored, params);
    EXPECT_EQ(pauses, DOWNLOAD_WAITS);
    EXPECT_EQ(positions, DOWNLOAD_POSITIONS);
    EXPECT_TRUE(debugTexts.empty());
    ASSERT_EQ(module->written.size(), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(module->written[0].data() + 1)), "AT+iRP1\r\n");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(module->written[1].data() + 1)), "AT+iRP2\r\n");
}

TEST_F(ParameterTransfer, DownloadWithoutModuleRunsAllWaitsAndChangesNothing) {
    ModuleParamSet params = Sentinel();
    EXPECT_FALSE(DownloadParams(link, reply, params, Recorder()));
    ExpectSameParams(Sentinel(), params);
    EXPECT_EQ(pauses, DOWNLOAD_WAITS);
    EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), 0u), 1000u);
    EXPECT_EQ(positions, DOWNLOAD_POSITIONS);
    EXPECT_EQ(debugTexts, (std::vector<std::string>{"HID_Write Err\n", "HID_Read Err\n", "HID_Write Err\n",
                                                    "HID_Read Err\n"}));
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
}

TEST_F(ParameterTransfer, FailedSecondExchangeKeepsTheFirstReportsFields) {
    const ModuleParamSet stored = MakeParams(0, 3, 1, "first", "0123456789", {1, 2, 3, 4, 5, 6});
    module->module->SetParams(stored);
    OpenLink();
    ModuleParamSet params = Sentinel();
    // The module is pulled out right after the first exchange.
    ProgressFunction progress = [this](int position) {
        positions.push_back(position);
        if (position == 500) module->failWrite = true;
    };

    EXPECT_FALSE(DownloadParams(link, reply, params, progress));
    ModuleParamSet expected = stored;
    StoreParamText(expected.key, "sentinel-key");
    ExpectSameParams(expected, params);
    EXPECT_EQ(pauses, DOWNLOAD_WAITS);
    EXPECT_EQ(positions, DOWNLOAD_POSITIONS);
    EXPECT_EQ(debugTexts, (std::vector<std::string>{"HID_Write Err\n", "HID_Read Err\n"}));
    EXPECT_EQ(link.rescanNeeded, 1);
}

TEST_F(ParameterTransfer, SilentModuleFailsTheDownloadAfterTheReadTimeLimit) {
    module->silent = true;
    OpenLink();
    ModuleParamSet params = Sentinel();

    EXPECT_FALSE(DownloadParams(link, reply, params, Recorder()));
    ExpectSameParams(Sentinel(), params);
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), static_cast<unsigned>(HID_READ_TIMEOUT_MS)), 1);
    EXPECT_EQ(pauses.front(), 200u);
    EXPECT_EQ(positions, DOWNLOAD_POSITIONS);
    ASSERT_FALSE(debugTexts.empty());
    EXPECT_EQ(debugTexts.front(), "HID_Read Err\n");
    EXPECT_EQ(link.deviceOpen, 0);
}

TEST_F(ParameterTransfer, DownloadWithoutProgressCallbackStillRuns) {
    OpenLink();
    ModuleParamSet params = Sentinel();
    EXPECT_TRUE(DownloadParams(link, reply, params, ProgressFunction()));
    ExpectSameParams(ModuleHolds(), params);
}

// --- Upload announcement -------------------------------------------------------------

TEST_F(ParameterTransfer, AnnouncementIsAcknowledgedWithoutWaiting) {
    OpenLink();
    EXPECT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::Acknowledged);
    EXPECT_TRUE(pauses.empty());
    ASSERT_EQ(module->written.size(), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(module->written[0].data() + 1)), "AT+iWP\r\n");
}

TEST_F(ParameterTransfer, AnnouncementRefusesAnyOtherReplyText) {
    for (const char* text : {"AT+iWP OK\r\n", "at+iwp ok", "AT+iWP O", "AT+iWP NG", ""}) {
        OpenLink();
        module->nextReply = TextReply(text);
        EXPECT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::NotAcknowledged) << '"' << text << '"';
        EXPECT_EQ(link.deviceOpen, 1) << "the link stays open";
        EXPECT_TRUE(debugTexts.empty());
        CloseLink(link);
    }
}

TEST_F(ParameterTransfer, AnnouncementLinkFailures) {
    EXPECT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Write Err\n"});

    module->silent = true;
    OpenLink();
    EXPECT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Read Err\n"});
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
}

// --- Sending the parameter reports ---------------------------------------------------

TEST_F(ParameterTransfer, ReportsCarryExactlyWhatTheSetHolds) {
    OpenLink();
    // The NONE key clearing is the collection's job: what the set holds goes out.
    const ModuleParamSet params =
        MakeParams(1, 13, NO_SELECTION, "exactly-20-chars-ssi", "abc", {0xFF, 0x00, 0x0A, 0xA0, 0x5A, 0xA5});
    ASSERT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::Acknowledged);
    pauses.clear();

    EXPECT_TRUE(SendParamReports(link, params, Recorder()));
    ASSERT_EQ(module->written.size(), 3u);
    HidReport first{};
    first[1] = 1;
    first[2] = 13;
    first[3] = 255;
    const std::uint8_t mac[] = {0xFF, 0x00, 0x0A, 0xA0, 0x5A, 0xA5};
    std::memcpy(first.data() + 4, mac, 6);
    std::memcpy(first.data() + 11, "exactly-20-chars-ssi", 20);
    HidReport second{};
    std::memcpy(second.data() + 1, "abc", 3);
    EXPECT_EQ(module->written[1], first);
    EXPECT_EQ(module->written[2], second);
    EXPECT_EQ(pauses, UPLOAD_WAITS);
    EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), 0u), 850u);
    EXPECT_EQ(positions, UPLOAD_POSITIONS);
    EXPECT_TRUE(debugTexts.empty());
}

TEST_F(ParameterTransfer, FailedReportWritesKeepAllWaitsAndFail) {
    OpenLink();
    module->failWrite = true;
    EXPECT_FALSE(SendParamReports(link, StartStateParams(), Recorder()));
    EXPECT_EQ(pauses, UPLOAD_WAITS);
    EXPECT_EQ(positions, UPLOAD_POSITIONS);
    EXPECT_EQ(debugTexts, (std::vector<std::string>{"HID_Write Err\n", "HID_Write Err\n"}));
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
}

TEST_F(ParameterTransfer, FailedSecondReportAloneMakesTheUploadFail) {
    OpenLink();
    ProgressFunction progress = [this](int position) {
        if (position == 750) module->failWrite = true;
    };
    EXPECT_FALSE(SendParamReports(link, StartStateParams(), progress));
    EXPECT_EQ(debugTexts, std::vector<std::string>{"HID_Write Err\n"});
    EXPECT_EQ(module->deliveredReports, 1);
}

// --- Round trip ------------------------------------------------------------------------

TEST_F(ParameterTransfer, UploadThenDownloadGivesTheSameSet) {
    const ModuleParamSet sent = MakeParams(0, 9, 3, "round,trip [G3]", std::string(63, '#'),
                                           {0x02, 0x11, 0x22, 0x33, 0x44, 0x55});
    OpenLink();
    ASSERT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::Acknowledged);
    ASSERT_TRUE(SendParamReports(link, sent, ProgressFunction()));
    ExpectSameParams(sent, ModuleHolds());

    ModuleParamSet received = Sentinel();
    ASSERT_TRUE(DownloadParams(link, reply, received, ProgressFunction()));
    ExpectSameParams(sent, received);
}
