// SPDX-License-Identifier: MIT
// The read and write procedures against the simulated module (which answers
// only the exact command texts): waits and progress positions in the order
// they happen, debug texts, report bytes and failure outcomes.
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "link_fixture.h"
#include "param_set_helpers.h"
#include "params/parameter_transfer.h"

namespace lq3860 {

namespace {

// The procedure's waits ("w200") and the progress positions ("@250"), in one sequence.
const std::string W = "HID_Write Err\n", R = "HID_Read Err\n";
const std::string DOWNLOAD_STEPS = "w200 @250 w200 @500 w200 @750 w200 @1000 w200 ";
const std::string UPLOAD_STEPS = "w200 @500 w50 @750 w200 @900 w200 @1000 w200 ";

}  // namespace

class ParameterTransfer : public LinkFixture {
protected:
    void SetUp() override {
        pause.Replace([this](unsigned ms) { steps += "w" + std::to_string(ms) + " "; });
        AddScannedModule();
    }
    // The link opened (or closed) and the records emptied for the next case.
    void Start(bool open = true) {
        module->failWrite = false;
        ASSERT_TRUE(open ? link.OpenModule(0) : (link.CloseLink(), true));
        debugTexts.clear();
        steps.clear();
        link.rescanNeeded = 0;
    }
    // Records each position; the module is pulled out when `failFrom` is reached.
    ProgressFunction Recorder(int failFrom) {
        return [this, failFrom](int position) {
            steps += "@" + std::to_string(position) + " ";
            if (position == failFrom) module->failWrite = true;
        };
    }

    // The outcome, waits and positions, debug texts and link state of one run.
    void ExpectRun(bool ok, const std::string& expectedSteps, const Texts& texts) {
        EXPECT_EQ(ok, texts.empty());
        EXPECT_EQ(steps, expectedSteps);
        EXPECT_EQ(debugTexts, texts);
        EXPECT_EQ(Flags(), texts.empty() ? KEPT : DROPPED) << "deviceOpen, rescanNeeded";
    }

    std::string steps;
};

// Every step runs even after a failure, so the positions stay the same and
// the fields of a report read before the failure are kept.
TEST_F(ParameterTransfer, DownloadOutcomesWaitsAndFields) {
    const ModuleParamSet stored =
        MakeParams(1, 11, 2, "twenty-characters-xy", std::string(63, 'k'), {0x00, 0x1C, 0xFE, 0x01, 0x80, 0x7F});
    ModuleParamSet firstReport = stored;
    std::memcpy(firstReport.key, Sentinel().key, PARAM_TEXT_AREA);
    module->module->Behaviour().SetParams(stored);
    const std::tuple<ModuleParamSet, Texts, bool, int> rows[] = {
        {stored, {}, true, -1}, {Sentinel(), {W, R, W, R}, false, -1}, {firstReport, {W, R}, true, 500}};
    for (const auto& [expected, texts, open, failFrom] : rows) {
        Start(open);
        ModuleParamSet params = Sentinel();
        ExpectRun(DownloadParams(link, reply, params, Recorder(failFrom)), DOWNLOAD_STEPS, texts);
        EXPECT_EQ(Dump(params), Dump(expected));
    }
}

// Only the exact acknowledgement counts, without any wait; a wrong answer
// keeps the link open, a failed exchange drops it, and neither collects nor
// sends more. What the collection gives goes out and the module stores it. A
// failed report write fails the upload but keeps every wait and position;
// nothing more is sent on the dropped link.
TEST_F(ParameterTransfer, AnnouncementAndUpload) {
    const ModuleParamSet params =
        MakeParams(1, 13, NO_SELECTION, "exactly-20-chars-ssi", "abc", {0xFF, 0x00, 0x0A, 0xA0, 0x5A, 0xA5});
    HidReport first{0, 1, 13, 255, 0xFF, 0x00, 0x0A, 0xA0, 0x5A, 0xA5};
    std::memcpy(first.data() + 11, "exactly-20-chars-ssi", 20);
    const HidReport second{0, 'a', 'b', 'c'};
    const HidReport announce = CommandReport(CMD_ANNOUNCE_UPLOAD);
    bool failAtCollection = false;
    const CollectFunction collect = [&]() -> const ModuleParamSet& {
        steps += "collect ";
        module->failWrite = failAtCollection;
        return params;
    };
    const char* wrong = "AT+iWP OK\r\n";  // the acknowledgement has no line end
    for (const auto& [text, flags] : {std::pair{wrong, KEPT}, {nullptr, DROPPED}}) {
        Start(text != nullptr);
        module->written.clear();
        if (text) {
            module->module->nextReply = HidReport{};
            std::memcpy(module->module->nextReply->data() + 1, text, std::strlen(text));
        }
        const UploadOutcome outcome = UploadParams(link, reply, collect, Recorder(-1));
        EXPECT_EQ(std::tuple(outcome, steps, Flags(), module->written.size()),
                  std::tuple(UploadOutcome::NotAnnounced, "", flags, text ? 1u : 0u));
    }
    // From the collection on (failFrom 0) no report gets through.
    const std::tuple<int, std::vector<HidReport>, Texts> rows[] = {
        {-1, {announce, first, second}, {}}, {0, {announce, first}, {W, W}}, {750, {announce, first, second}, {W}}};
    for (const auto& [failFrom, written, texts] : rows) {
        module->module = std::make_shared<SimulatedModule>();
        Start();
        failAtCollection = failFrom == 0;
        module->written.clear();
        const UploadOutcome outcome = UploadParams(link, reply, collect, Recorder(failFrom));
        ExpectRun(outcome == UploadOutcome::Sent, "collect " + UPLOAD_STEPS, texts);
        EXPECT_EQ(std::pair(module->written, Dump(module->module->Behaviour().Params()) == Dump(params)),
                  std::pair(written, texts.empty()));
    }
}

// Only what travels counts: the SSID beyond its 20 characters, and bytes
// after a text's end, never differ.
TEST_F(ParameterTransfer, DifferingFieldsAsTheyTravel) {
    const ModuleParamSet base = MakeParams(0, 6, 4, "exactly-20-chars-ssi", "key-text", {0, 0x0C, 0x29, 1, 2, 3});
    ModuleParamSet longer = base;
    StoreParamText(longer.ssid, "exactly-20-chars-ssid and more");
    ModuleParamSet all = MakeParams(1, 7, 3, "other", "other-key", {0, 0x0C, 0x29, 1, 2, 4});
    EXPECT_EQ(DifferingFields(base, longer), std::vector<std::string>{});
    EXPECT_EQ(DifferingFields(base, all),
              (std::vector<std::string>{"mode", "channel", "encryption", "ssid", "key", "mac"}));
}

}  // namespace lq3860
