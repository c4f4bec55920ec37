// SPDX-License-Identifier: MIT
#pragma once
// How lq3860-sim reaches the host for one virtual module: a device on the
// kernel's HID stack through /dev/uhid, or a USB gadget whose HID function
// the host's USB HID driver binds. The serving loop in main.cpp drives
// either through this interface.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "simulated_module/simulated_module.h"
#include "uhid_sim/program_options.h"

namespace lq3860 {

using TransportBytes = std::vector<std::uint8_t>;

// What the module gives back for one request of the host.
struct TransportAnswer {
    std::vector<TransportBytes> writes;  // to send, in order
    unsigned delayMs = 0;                // how long after the request to send them
    bool unplug = false;                 // the module is gone afterwards (at once)
};

enum class SendResult { Sent, Later, Failed };  // Later: the device takes it once it polls writable

class ModuleTransport {
public:
    virtual ~ModuleTransport() = default;

    // The descriptor to poll; -1 once the device is removed.
    virtual int Descriptor() const = 0;
    bool Present() const { return Descriptor() >= 0; }
    // Takes the host's next request and answers it from the module; false
    // when the device could not be read.
    virtual bool Serve(TransportAnswer& answer) = 0;
    virtual SendResult Send(const TransportBytes& bytes) = 0;
    // Removes the device from the host (as if pulled out).
    virtual void Remove() = 0;
    // The device node, for messages.
    virtual std::string Node() const = 0;
};

// The serial number of module `index` of this process, unique among the
// processes too: Windows (and Wine) build a device's instance id from it, and
// a second device with the same one would be taken for the first.
std::string ModuleSerial(int index);

// Module number `index` of this process on the host, serving `module` (not
// owned); null with the reason in `error` when it cannot be created.
std::unique_ptr<ModuleTransport> CreateUhidTransport(const SimOptions& options, int index, SimulatedModule& module,
                                                     std::string& error);
std::unique_ptr<ModuleTransport> CreateUsbGadgetTransport(const SimOptions& options, int index, SimulatedModule& module,
                                                          std::string& error);

}  // namespace lq3860
