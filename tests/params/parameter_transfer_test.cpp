// The read and write procedures against the simulated module: waits,
// progress positions, debug texts, report bytes and failure outcomes.
#include <cstring>
#include <string>
#include <vector>

#include "device/module_link.h"
#include "link_fixture.h"
#include "param_set_helpers.h"
#include "params/parameter_transfer.h"

namespace {

using Texts = std::vector<std::string>;
const std::vector<int> DOWNLOAD_POSITIONS = {250, 500, 750, 1000};
const std::vector<int> UPLOAD_POSITIONS = {500, 750, 900, 1000};
const std::vector<unsigned> DOWNLOAD_WAITS = {200, 200, 200, 200, 200};
const std::vector<unsigned> UPLOAD_WAITS = {200, 50, 200, 200, 200};

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
    // Records each position; `failFrom` pulls the module out when it is reached.
    ProgressFunction Recorder(int failFrom = -1) {
        return [this, failFrom](int position) {
            positions.push_back(position);
            if (position == failFrom) module->failWrite = true;
        };
    }
    std::string Written(std::size_t i) const {
        return reinterpret_cast<const char*>(module->written.at(i).data() + 1);
    }

    SimulatedInterface* module = nullptr;
    LinkState link;
    HidReport reply{};
    std::vector<int> positions;
};

// Every step runs even after a failure, so the positions stay the same and
// the fields of a report read before the failure are kept.
enum class Kept { Stored, FirstReport, Nothing };
struct DownloadCase {
    const char* name;
    bool open;
    bool silent;
    int failFrom;
    Kept kept;
    Texts debug;
    std::vector<unsigned> waits;
};
class ParameterDownload : public ParameterTransfer, public ::testing::WithParamInterface<DownloadCase> {};

TEST_P(ParameterDownload, OutcomeWaitsAndFields) {
    const DownloadCase& c = GetParam();
    const ModuleParamSet stored =
        MakeParams(1, 11, 2, "twenty-characters-xy", std::string(63, 'k'), {0x00, 0x1C, 0xFE, 0x01, 0x80, 0x7F});
    module->module->SetParams(stored);
    module->silent = c.silent;
    if (c.open) OpenLink();
    ModuleParamSet expected = c.kept == Kept::Nothing ? Sentinel() : stored;
    if (c.kept == Kept::FirstReport) std::memcpy(expected.key, Sentinel().key, PARAM_TEXT_AREA);

    ModuleParamSet params = Sentinel();
    EXPECT_EQ(DownloadParams(link, reply, params, Recorder(c.failFrom)), c.debug.empty());
    EXPECT_EQ(Dump(params), Dump(expected));
    EXPECT_EQ(pauses, c.waits);
    EXPECT_EQ(positions, DOWNLOAD_POSITIONS);
    EXPECT_EQ(debugTexts, c.debug);
    EXPECT_EQ(link.deviceOpen, c.debug.empty() ? 1 : 0);
    EXPECT_EQ(link.rescanNeeded, c.debug.empty() ? 0 : 1);
}

const std::string W = "HID_Write Err\n", R = "HID_Read Err\n";
INSTANTIATE_TEST_SUITE_P(
    Cases, ParameterDownload,
    ::testing::Values(DownloadCase{"Answers", true, false, -1, Kept::Stored, {}, DOWNLOAD_WAITS},
                      DownloadCase{"NoModule", false, false, -1, Kept::Nothing, {W, R, W, R}, DOWNLOAD_WAITS},
                      DownloadCase{"PulledOutAfterFirstExchange", true, false, 500, Kept::FirstReport, {W, R},
                                   DOWNLOAD_WAITS},
                      DownloadCase{"SilentUntilTheReadTimeLimit", true, true, -1, Kept::Nothing, {R, W, R},
                                   {200, HID_READ_TIMEOUT_MS, 200, 200, 200, 200}}),
    [](const auto& row) { return std::string(row.param.name); });

// Only the exact acknowledgement counts; a wrong answer keeps the link open.
TEST_F(ParameterTransfer, AnnouncementNeedsTheExactAcknowledgement) {
    const struct {
        const char* reply;  // null: the module's own answer
        AnnounceOutcome outcome;
    } rows[] = {
        {nullptr, AnnounceOutcome::Acknowledged},        {"AT+iWP OK\r\n", AnnounceOutcome::NotAcknowledged},
        {"at+iwp ok", AnnounceOutcome::NotAcknowledged}, {"AT+iWP O", AnnounceOutcome::NotAcknowledged},
        {"AT+iWP NG", AnnounceOutcome::NotAcknowledged}, {"", AnnounceOutcome::NotAcknowledged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply ? row.reply : "(module)");
        OpenLink();
        if (row.reply) {
            HidReport text{};
            std::memcpy(text.data() + 1, row.reply, std::strlen(row.reply));
            module->nextReply = text;
        }
        EXPECT_EQ(AnnounceUpload(link, reply), row.outcome);
        EXPECT_EQ(Written(module->written.size() - 1), "AT+iWP\r\n");
        EXPECT_TRUE(pauses.empty());
        EXPECT_EQ(link.deviceOpen, 1);
        EXPECT_TRUE(debugTexts.empty());
        CloseLink(link);
    }
}

TEST_F(ParameterTransfer, AnnouncementLinkFailures) {
    EXPECT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, Texts{"HID_Write Err\n"});

    module->silent = true;
    OpenLink();
    EXPECT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::LinkFailed);
    EXPECT_EQ(debugTexts, Texts{"HID_Read Err\n"});
    EXPECT_EQ(link.deviceOpen, 0);
    EXPECT_EQ(link.rescanNeeded, 1);
}

TEST_F(ParameterTransfer, ReportsCarryExactlyWhatTheSetHolds) {
    OpenLink();
    // The NONE key clearing is the collection's job: what the set holds goes out.
    const ModuleParamSet params =
        MakeParams(1, 13, NO_SELECTION, "exactly-20-chars-ssi", "abc", {0xFF, 0x00, 0x0A, 0xA0, 0x5A, 0xA5});
    EXPECT_TRUE(SendParamReports(link, params, Recorder()));
    ASSERT_EQ(module->written.size(), 2u);
    HidReport first{0, 1, 13, 255, 0xFF, 0x00, 0x0A, 0xA0, 0x5A, 0xA5};
    std::memcpy(first.data() + 11, "exactly-20-chars-ssi", 20);
    HidReport second{0, 'a', 'b', 'c'};
    EXPECT_EQ(module->written[0], first);
    EXPECT_EQ(module->written[1], second);
    EXPECT_EQ(pauses, UPLOAD_WAITS);
    EXPECT_EQ(positions, UPLOAD_POSITIONS);
    EXPECT_TRUE(debugTexts.empty());
}

TEST_F(ParameterTransfer, FailedReportWritesKeepAllWaitsAndFail) {
    for (int failFrom : {0, 750}) {  // 0: no write gets through
        SCOPED_TRACE(failFrom);
        OpenLink();
        pauses.clear();
        positions.clear();
        module->failWrite = failFrom == 0;
        module->deliveredReports = 0;
        EXPECT_FALSE(SendParamReports(link, StartStateParams(), Recorder(failFrom)));
        EXPECT_EQ(pauses, UPLOAD_WAITS);
        EXPECT_EQ(positions, UPLOAD_POSITIONS);
        EXPECT_EQ(debugTexts, Texts(failFrom == 0 ? 2 : 1, "HID_Write Err\n"));
        EXPECT_EQ(module->deliveredReports, failFrom == 0 ? 0 : 1);
        EXPECT_EQ(link.deviceOpen, 0);
        EXPECT_EQ(link.rescanNeeded, 1);
        module->failWrite = false;
    }
}

TEST_F(ParameterTransfer, UploadThenDownloadGivesTheSameSet) {
    const ModuleParamSet sent = MakeParams(0, 9, 3, "round,trip [G3]", std::string(63, '#'),
                                           {0x02, 0x11, 0x22, 0x33, 0x44, 0x55});
    OpenLink();
    ASSERT_EQ(AnnounceUpload(link, reply), AnnounceOutcome::Acknowledged);
    ASSERT_TRUE(SendParamReports(link, sent, ProgressFunction()));
    EXPECT_EQ(Dump(module->module->Params()), Dump(sent));

    ModuleParamSet received = Sentinel();
    ASSERT_TRUE(DownloadParams(link, reply, received, ProgressFunction()));
    EXPECT_EQ(Dump(received), Dump(sent));
    EXPECT_EQ(Written(module->written.size() - 2), "AT+iRP1\r\n");
    EXPECT_EQ(Written(module->written.size() - 1), "AT+iRP2\r\n");
}
