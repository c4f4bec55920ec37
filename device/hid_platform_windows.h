// SPDX-License-Identifier: MIT
#pragma once
// The HID platform of Windows: SetupAPI lists the HID interfaces, hid.dll
// reads their attributes, capabilities and product strings, and reports move
// by overlapped ReadFile and WriteFile with a time limit.
//
// Claiming: an interface is opened for queries only (no read or write
// access), which the system allows while another program holds it, so a
// module in use is still listed and named. ClaimExclusive opens the handle
// that reads and writes with share mode 0: while it is open no other program
// can read or write the module, and another program's claim fails with a
// sharing violation (ClaimResult::InUse). Query handles, ours or another
// program's, neither stop a claim nor are stopped by one.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_device_table.h"
#include "device/hid_platform.h"

namespace lq3860 {

// A write that the module does not take within this time fails.
inline constexpr int HID_WRITE_TIMEOUT_MS = 2000;

class WindowsHidPlatform final : public HidPlatform {
public:
    // Lists the interfaces of one USB vendor (0: of every vendor).
    explicit WindowsHidPlatform(std::uint16_t vendorId = LQ3860_VENDOR_ID);

    // Every present HID interface of the vendor whose attributes and
    // capabilities can be read, in SetupAPI's order; the path is the
    // interface path in UTF-8 and lower case (device_path_windows.h).
    std::vector<HidInterfaceInfo> ListInterfaces() override;
    // Opens for queries (product string, capabilities); reading and writing
    // start with the claim. accessDenied is set when the system refuses even
    // that (ERROR_ACCESS_DENIED). A module the system lets this user query
    // but not read and write is found out by the claim (ClaimResult::Failed).
    std::unique_ptr<HidConnection> Open(const std::string& path, bool& accessDenied) override;

private:
    std::uint16_t vendorId_;
};

}  // namespace lq3860
