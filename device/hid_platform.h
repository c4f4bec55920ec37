#pragma once
// The seam between the device table and the operating system's HID layer.
// Two implementations: hidapi (real hardware) and the simulated module.
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

// An open interface. Reports always carry the report id in byte 0.
class HidConnection {
public:
    virtual ~HidConnection() = default;
    // Sends one output report (data[0] is the report id). Returns the number
    // of bytes written, or -1 on failure.
    virtual int Write(const std::uint8_t* data, std::size_t length) = 0;
    // Receives one input report into data, report id in data[0]. Returns the
    // number of bytes placed, 0 when nothing arrived within timeoutMs, -1 on
    // failure (for instance a module that was pulled out).
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
