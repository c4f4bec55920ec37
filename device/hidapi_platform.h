#pragma once
// The HID platform of real hardware: hidapi over the kernel's hidraw nodes.
#include "device/hid_platform.h"

namespace lq3860 {

class HidapiPlatform : public HidPlatform {
public:
    HidapiPlatform();

    // Every top-level collection hidapi reports, in its order.
    std::vector<HidInterfaceInfo> ListInterfaces() override;
    // Refusals are marked accessDenied when the device node exists but the
    // user may not read and write it (a missing udev rule, typically).
    std::unique_ptr<HidConnection> Open(const std::string& path, bool& accessDenied) override;
};

}  // namespace lq3860
