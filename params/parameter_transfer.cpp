// SPDX-License-Identifier: MIT
#include "params/parameter_transfer.h"

#include "device/command_protocol.h"

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

AnnounceOutcome AnnounceUpload(ModuleLink& link, HidReport& reply) {
    switch (link.QueryUploadAcknowledgement(reply)) {
        case ReplyOutcome::LinkFailed: return AnnounceOutcome::LinkFailed;
        case ReplyOutcome::Refused: return AnnounceOutcome::NotAcknowledged;
        case ReplyOutcome::Accepted: break;
    }
    return AnnounceOutcome::Acknowledged;
}

bool SendParamReports(ModuleLink& link, const ModuleParamSet& params, const ProgressFunction& progress) {
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
    return link.deviceOpen != 0;
}

}  // namespace lq3860
