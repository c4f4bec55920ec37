// SPDX-License-Identifier: MIT
#pragma once
// A HID platform made of simulated interfaces: LQ-3860 stand-ins, other
// vendors and other collections, with the host-side faults tests need.
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_device_table.h"
#include "device/hid_platform.h"
#include "simulated_module/simulated_module.h"
#include "types/pause.h"

namespace lq3860 {

// An input report on its way to the host.
struct PendingReport {
    PendingReport(const HidReport& sent, std::size_t payload = HID_REPORT_SIZE - 1, unsigned delay = 0)
        : report(sent), payloadBytes(payload), delayMs(delay) {}
    HidReport report;
    std::size_t payloadBytes;  // of bytes 1..64, how many the module sent
    unsigned delayMs;          // still to pass before the host can read it
};

struct SimulatedInterface {
    std::string path;
    std::uint16_t vendorId = LQ3860_VENDOR_ID;
    std::uint16_t usagePage = LQ3860_USAGE_PAGE;
    std::uint16_t usage = LQ3860_USAGE;
    std::optional<std::u16string> productName;  // nullopt: the product string cannot be read
    std::shared_ptr<SimulatedModule> module;    // null: answers nothing

    // Faults on the host's side of the link.
    bool failOpen = false;
    bool denyAccess = false;  // open fails for lack of permission
    bool failWrite = false;
    bool failRead = false;
    bool unplugged = false;             // pulled out: not listed, open connections fail
    bool heldByAnotherProgram = false;  // another program has claimed the module

    // What the host did, for tests.
    int openCount = 0;               // every open attempt, failed ones too
    std::vector<HidReport> written;  // every output report the host tried to send
    bool claimed = false;            // a connection of this platform holds the module

    // Input reports the module has queued and the host has not read yet,
    // oldest first. A delay passes only while a read waits.
    std::deque<PendingReport> pendingInput;

    // Pulled out by the test, or gone after its module's unplug fault.
    bool Gone() const { return unplugged || (module && module->Unplugged()); }
};

// The product name a simulated module carries unless told otherwise.
inline constexpr const char16_t* SIMULATED_MODULE_NAME = u"LQ-3860 (simulated)";

// Interfaces get the paths "sim:0", "sim:1", ... in the order they are added
// (unless one is given). Connections refer to their interface weakly, so a
// connection that outlives the platform fails instead of dangling. Sessions
// on several threads may use the platform at once (one lock for all of it);
// tests set faults and read records while no connection is in use.
class SimulatedPlatform : public HidPlatform {
public:
    SimulatedPlatform() = default;
    SimulatedPlatform(const SimulatedPlatform&) = delete;
    SimulatedPlatform& operator=(const SimulatedPlatform&) = delete;

    // A read with nothing to deliver waits its time limit here (really, unless
    // replaced) and returns 0.
    Pause readWait;

    // Adds an LQ-3860 with the given product name (nullopt: no readable
    // name) and returns its interface for fault injection and inspection.
    SimulatedInterface& AddModule(std::optional<std::u16string> productName = SIMULATED_MODULE_NAME);
    SimulatedInterface& AddInterface(SimulatedInterface interface);
    SimulatedInterface& Interface(std::size_t position) { return *interfaces_.at(position); }

    std::vector<HidInterfaceInfo> ListInterfaces() override;
    std::unique_ptr<HidConnection> Open(const std::string& path, bool& accessDenied) override;

private:
    std::vector<std::shared_ptr<SimulatedInterface>> interfaces_;
    int nextPathNumber_ = 0;
    std::shared_ptr<std::mutex> lock_ = std::make_shared<std::mutex>();  // shared with the connections
};

}  // namespace lq3860
