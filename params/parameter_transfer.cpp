// SPDX-License-Identifier: MIT
#include "params/parameter_transfer.h"

#include <algorithm>

#include "device/command_protocol.h"
#include "types/interrupt_hold.h"

namespace lq3860 {

namespace {

constexpr unsigned STEP_WAIT_MS = 200;
constexpr unsigned BETWEEN_REPORTS_WAIT_MS = 50;

void Report(const ProgressFunction& progress, int position) {
    if (progress) progress(position);
}

}  // namespace

bool DownloadParams(ModuleLink& link, HidReport& reply, ModuleParamSet& params, const ProgressFunction& progress) {
    // A failed step has already dropped the link; the remaining steps still
    // run (and fail the same way) so the waits and positions stay fixed.
    link.WriteCommand(CMD_READ_PARAMS1);
    link.Wait(STEP_WAIT_MS);
    Report(progress, 250);
    if (link.ReadReply(reply)) TakeParamReport1(reply, params);
    link.Wait(STEP_WAIT_MS);
    Report(progress, 500);

    link.WriteCommand(CMD_READ_PARAMS2);
    link.Wait(STEP_WAIT_MS);
    Report(progress, 750);
    if (link.ReadReply(reply)) TakeParamReport2(reply, params);
    link.Wait(STEP_WAIT_MS);
    Report(progress, 1000);
    link.Wait(STEP_WAIT_MS);
    return link.deviceOpen != 0;
}

UploadOutcome UploadParams(ModuleLink& link, HidReport& reply, const CollectFunction& collect,
                           const ProgressFunction& progress) {
    const InterruptHold hold;
    if (link.QueryUploadAcknowledgement(reply) != ReplyOutcome::Accepted) return UploadOutcome::NotAnnounced;
    const ModuleParamSet& params = collect();
    HidReport report;
    BuildParamReport1(params, report);
    link.WriteReport(report);
    link.Wait(STEP_WAIT_MS);
    Report(progress, 500);
    link.Wait(BETWEEN_REPORTS_WAIT_MS);
    Report(progress, 750);

    BuildParamReport2(params, report);
    link.WriteReport(report);
    link.Wait(STEP_WAIT_MS);
    Report(progress, 900);
    link.Wait(STEP_WAIT_MS);
    Report(progress, 1000);
    link.Wait(STEP_WAIT_MS);
    return link.deviceOpen != 0 ? UploadOutcome::Sent : UploadOutcome::LinkFailed;
}

std::vector<std::string> DifferingFields(const ModuleParamSet& sent, const ModuleParamSet& held) {
    // Each set as the module would receive it: what does not travel cannot differ.
    ModuleParamSet travelled[2];
    const ModuleParamSet* sets[2] = {&sent, &held};
    for (int i = 0; i < 2; ++i) {
        HidReport report;
        BuildParamReport1(*sets[i], report);
        TakeParamReport1(report, travelled[i]);
        BuildParamReport2(*sets[i], report);
        TakeParamReport2(report, travelled[i]);
    }
    const ModuleParamSet& a = travelled[0];
    const ModuleParamSet& b = travelled[1];
    std::vector<std::string> fields;
    if (a.mode != b.mode) fields.emplace_back("mode");
    if (a.channel != b.channel) fields.emplace_back("channel");
    if (a.encryption != b.encryption) fields.emplace_back("encryption");
    if (ParamText(a.ssid) != ParamText(b.ssid)) fields.emplace_back("ssid");
    if (ParamText(a.key) != ParamText(b.key)) fields.emplace_back("key");
    if (!std::equal(std::begin(a.mac), std::end(a.mac), std::begin(b.mac))) fields.emplace_back("mac");
    return fields;
}

}  // namespace lq3860
