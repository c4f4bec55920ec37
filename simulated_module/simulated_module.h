// SPDX-License-Identifier: MIT
#pragma once
// One simulated LQ-3860 as the host meets it: how it answers (ModuleBehaviour),
// the faults it was given, and the file that keeps its parameter set across
// runs. The in-process platform and the virtual modules on the kernel's HID
// stack both drive this type, so they behave alike.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "params/config_file.h"
#include "simulated_module/module_behaviour.h"
#include "types/hid_report.h"

namespace lq3860 {

struct ModuleFaults {
    bool silent = false;          // takes every report but never answers
    int unplugAfterReports = -1;  // >= 0: answers that many output reports, then is gone
    int replyDelayMs = 0;         // every answer leaves the module this long after its report
    bool doubleReplies = false;   // every answer is sent twice
    bool garbageReplies = false;  // every answer carries junk payload bytes instead of the reply
    int replyPayloadBytes = -1;   // 1..63: every answer is cut to that many payload bytes; -1: all 64
    bool keepOldParams = false;   // acknowledges and takes an upload, and keeps its old parameter set
};

class SimulatedModule {
public:
    SimulatedModule() = default;
    SimulatedModule(const SimulatedModule&) = delete;
    SimulatedModule& operator=(const SimulatedModule&) = delete;

    ModuleBehaviour& Behaviour() { return behaviour_; }
    const ModuleBehaviour& Behaviour() const { return behaviour_; }

    ModuleFaults faults;
    // Replaces the module's next answer once (tests hand-make replies).
    std::optional<HidReport> nextReply;

    struct Response {
        std::vector<HidReport> replies;                  // input reports to queue, in order
        std::size_t payloadBytes = HID_REPORT_SIZE - 1;  // of each reply's bytes 1..64, how many are sent
        unsigned delayMs = 0;                            // the replies leave the module this late
        bool unplugged = false;                          // the module is gone after this report
    };
    // One output report from the host. A module that is gone takes nothing.
    Response HandleOutputReport(const HidReport& report);

    // Output reports that reached the module.
    int OutputReports() const { return outputReports_; }
    bool Unplugged() const;

    // Keeps the parameter set in `path`: loads it now when the file exists
    // (a missing file leaves the defaults) and writes every accepted upload
    // back with the configuration save, an empty SSID or key as an empty
    // field, so it comes back empty. A file that cannot be loaded is refused
    // with its message.
    ConfigLoadResult KeepParamsIn(const std::string& path);
    // True once writing the kept parameters back has failed or was refused.
    bool StateSaveFailed() const { return !stateSaveFailure_.empty(); }
    // The last such failure as "FILE: MESSAGE (REASON)"; empty when none.
    const std::string& StateSaveFailure() const { return stateSaveFailure_; }

private:
    HidReport Garbage();

    ModuleBehaviour behaviour_;
    int outputReports_ = 0;
    std::uint32_t garbageState_ = 0x3860u;  // the junk is the same on every run
    std::string stateSaveFailure_;
};

}  // namespace lq3860
