// SPDX-License-Identifier: MIT
#pragma once
// The read and write procedures with their exchanges, waits and progress
// positions. The window and the command-line tool both run these.
#include <functional>
#include <string>
#include <vector>

#include "device/module_link.h"
#include "params/messages.h"
#include "types/module_params.h"

namespace lq3860 {

using ProgressFunction = std::function<void(int position)>;  // 0..1000

// "Read para": AT+iRP1 and AT+iRP2 with their waits; positions 250, 500,
// 750, 1000. Every step runs even after a failure. Returns deviceOpen at the
// end (true: the caller shows the parameters and "Download Parameter OK").
bool DownloadParams(ModuleLink& link, HidReport& reply, ModuleParamSet& params, const ProgressFunction& progress);

enum class UploadOutcome {
    NotAnnounced,  // "AT+iWP\r\n" failed or was not acknowledged: nothing else was sent
    LinkFailed,    // a parameter report failed; the link is closed
    Sent,          // both reports went out ("Upload Parameter OK")
};
// The parameter set to send, collected once the module has acknowledged the
// announcement (the window reads its fields then).
using CollectFunction = std::function<const ModuleParamSet&()>;

// "Write para" after the key check: "AT+iWP\r\n" and its acknowledgement
// "AT+iWP OK"; then the collection, ParamReport1, waits, ParamReport2, waits
// (positions 500, 750, 900, 1000). No interrupt stops the program from the
// announcement to the last report: a module left between its reports would
// take the next command of any program for its key.
UploadOutcome UploadParams(ModuleLink& link, HidReport& reply, const CollectFunction& collect,
                           const ProgressFunction& progress);

// The fields that differ between two sets as they travel in the parameter
// reports (the SSID's first 20 characters ...): "mode", "channel",
// "encryption", "ssid", "key", "mac", in that order; empty when they agree.
std::vector<std::string> DifferingFields(const ModuleParamSet& sent, const ModuleParamSet& held);

}  // namespace lq3860
