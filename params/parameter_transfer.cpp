#include "params/parameter_transfer.h"

#include "device/command_protocol.h"
#include "device/pause.h"

namespace {

constexpr unsigned STEP_WAIT_MS = 200;
constexpr unsigned BETWEEN_REPORTS_WAIT_MS = 50;

void Report(const ProgressFunction& progress, int position) {
    if (progress) progress(position);
}

}  // namespace

bool DownloadParams(LinkState& link, HidReport& reply, ModuleParamSet& params,
                    const ProgressFunction& progress) {
    // A failed step has already dropped the link; the remaining steps still
    // run (and fail the same way) so the waits and positions stay fixed.
    WriteCommand(link, CMD_READ_PARAMS1);
    Pause(STEP_WAIT_MS);
    Report(progress, 250);
    if (ReadReply(link, reply)) TakeParamReport1(reply, params);
    Pause(STEP_WAIT_MS);
    Report(progress, 500);

    WriteCommand(link, CMD_READ_PARAMS2);
    Pause(STEP_WAIT_MS);
    Report(progress, 750);
    if (ReadReply(link, reply)) TakeParamReport2(reply, params);
    Pause(STEP_WAIT_MS);
    Report(progress, 1000);
    Pause(STEP_WAIT_MS);
    return link.deviceOpen != 0;
}

AnnounceOutcome AnnounceUpload(LinkState& link, HidReport& reply) {
    if (!ExchangeCommand(link, CMD_ANNOUNCE_UPLOAD, 0, reply)) return AnnounceOutcome::LinkFailed;
    return IsUploadAcknowledged(reply) ? AnnounceOutcome::Acknowledged : AnnounceOutcome::NotAcknowledged;
}

bool SendParamReports(LinkState& link, const ModuleParamSet& params, const ProgressFunction& progress) {
    HidReport report;
    BuildParamReport1(params, report);
    WriteReport(link, report);
    Pause(STEP_WAIT_MS);
    Report(progress, 500);
    Pause(BETWEEN_REPORTS_WAIT_MS);
    Report(progress, 750);

    BuildParamReport2(params, report);
    WriteReport(link, report);
    Pause(STEP_WAIT_MS);
    Report(progress, 900);
    Pause(STEP_WAIT_MS);
    Report(progress, 1000);
    Pause(STEP_WAIT_MS);
    return link.deviceOpen != 0;
}
