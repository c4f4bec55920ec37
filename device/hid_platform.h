// SPDX-License-Identifier: MIT
#pragma once
// The seam between the device table and the operating system's HID layer.
// Implementations: hidapi (real hardware on Linux), the system's HID API
// (Windows) and the simulated module.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lq3860 {

// One HID interface (one top-level collection) as the platform lists it.
struct HidInterfaceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
};

enum class ClaimResult {
    Claimed,  // this connection now holds the module for its program
    InUse,    // another program holds it
    Failed,   // the claim could not be made (a module that was pulled out)
};

// An open interface. Reports always carry the report id in byte 0.
class HidConnection {
public:
    virtual ~HidConnection() = default;
    // Takes the module for this program alone, for as long as the connection
    // lives. Only the link's own open claims it: scans and product-name reads
    // open without claiming, so a module in use is still listed and named.
    virtual ClaimResult ClaimExclusive() = 0;
    // Sends one output report (data[0] is the report id). Returns the number
    // of bytes written, or -1 on failure.
    virtual int Write(const std::uint8_t* data, std::size_t length) = 0;
    // Receives one input report into data, report id in data[0]. Returns the
    // number of bytes placed, 0 when nothing arrived within timeoutMs (0: only
    // what is already waiting), -1 on failure (for instance a module that was
    // pulled out). Bytes of data past the number placed are unspecified.
    virtual int Read(std::uint8_t* data, std::size_t length, int timeoutMs) = 0;
    // The USB product string as UTF-16 units without terminator; false when it
    // cannot be read.
    virtual bool ProductString(std::u16string& name) = 0;
};

class HidPlatform {
public:
    virtual ~HidPlatform() = default;
    // The present HID interfaces in the platform's stable enumeration order.
    virtual std::vector<HidInterfaceInfo> ListInterfaces() = 0;
    // Opens an interface for reading and writing. Returns null when it cannot
    // be opened; accessDenied tells whether the refusal was for lack of
    // permission (so the user can be told how to fix it).
    virtual std::unique_ptr<HidConnection> Open(const std::string& path, bool& accessDenied) = 0;
};

}  // namespace lq3860
