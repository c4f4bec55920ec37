// SPDX-License-Identifier: MIT
#pragma once
// One virtual module as the kernel's uhid driver sees it: turns the events
// that arrive on /dev/uhid into the events written back. No I/O here, so the
// framing can be tested without the kernel.
#include <linux/uhid.h>

#include <cstddef>
#include <vector>

#include "simulated_module/simulated_module.h"
#include "types/hid_report.h"
#include "uhid_sim/program_options.h"

namespace lq3860 {

// The UHID_CREATE2 request for module number `index` of this process.
uhid_event BuildCreateEvent(const SimOptions& options, int index);

// An output report as uhid hands it over: the report id byte first (0, the
// descriptor has no report ids) and then the payload, like the host wrote
// it. The module sees byte 0 as the id and bytes 1..64 as the payload;
// anything past 65 bytes is dropped, a short report is zero-filled.
HidReport OutputToReport(const std::uint8_t* data, std::size_t size);

// UHID_INPUT2 with the first `payloadBytes` (at most 64) payload bytes of
// `report` (the id is not sent: without report ids the kernel takes every
// byte as payload). Fewer than 64 make a short report.
uhid_event BuildInputEvent(const HidReport& report, std::size_t payloadBytes = HID_REPORT_SIZE - 1);

// Drives a simulated module (not owned) from the events of its device.
class UhidModule {
public:
    explicit UhidModule(SimulatedModule& module) : module_(module) {}

    struct Response {
        std::vector<uhid_event> events;  // to write to /dev/uhid, in order
        unsigned delayMs = 0;            // how long after the request to write them
        bool unplug = false;             // destroy the device afterwards (at once)
    };
    Response HandleEvent(const uhid_event& event);

    int OutputReports() const { return module_.OutputReports(); }

private:
    SimulatedModule& module_;
};

}  // namespace lq3860
