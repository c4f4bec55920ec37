// SPDX-License-Identifier: MIT
#pragma once
// The HID platform of real hardware: hidapi over the kernel's hidraw nodes.
#include <cstdint>

#include "device/hid_device_table.h"
#include "device/hid_platform.h"

namespace lq3860 {

class HidapiPlatform : public HidPlatform {
public:
    // Lists the interfaces of one USB vendor (0: of every vendor). hidapi
    // before 0.14 can crash when a device disappears while its scan reads
    // that device's details; a scan for one vendor reads the details of that
    // vendor's devices only, so other devices coming and going are harmless.
    explicit HidapiPlatform(std::uint16_t vendorId = LQ3860_VENDOR_ID);

    // The top-level collections hidapi reports for the vendor, in its order.
    std::vector<HidInterfaceInfo> ListInterfaces() override;
    // Refusals are marked accessDenied when the device node exists but the
    // user may not read and write it (a missing udev rule, typically).
    std::unique_ptr<HidConnection> Open(const std::string& path, bool& accessDenied) override;

private:
    std::uint16_t vendorId_;
};

}  // namespace lq3860
