// SPDX-License-Identifier: MIT
#pragma once
// The read and write procedures with their exchanges, waits and progress
// positions. The window and the command-line tool both run these.
#include <functional>

#include "device/module_link.h"
#include "params/messages.h"
#include "types/module_params.h"

namespace lq3860 {

using ProgressFunction = std::function<void(int position)>;  // 0..1000

// "Read para": AT+iRP1 and AT+iRP2 with their waits; positions 250, 500,
// 750, 1000. Every step runs even after a failure. Returns deviceOpen at the
// end (true: the caller shows the parameters and "Download Parameter OK").
bool DownloadParams(ModuleLink& link, HidReport& reply, ModuleParamSet& params, const ProgressFunction& progress);

enum class AnnounceOutcome { LinkFailed, NotAcknowledged, Acknowledged };
// "AT+iWP\r\n" and its acknowledgement "AT+iWP OK".
AnnounceOutcome AnnounceUpload(ModuleLink& link, HidReport& reply);

// Second half of "Write para", after the collection: ParamReport1, waits,
// ParamReport2, waits; positions 500, 750, 900, 1000. Returns deviceOpen at
// the end (true: "Upload Parameter OK").
bool SendParamReports(ModuleLink& link, const ModuleParamSet& params, const ProgressFunction& progress);

}  // namespace lq3860
