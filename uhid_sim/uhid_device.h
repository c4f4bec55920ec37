// SPDX-License-Identifier: MIT
#pragma once
// A device on the kernel's HID stack, created and driven through /dev/uhid.
#include <linux/uhid.h>

#include <string>

#include "types/owned_descriptor_posix.h"

namespace lq3860 {

class UhidDevice {
public:
    UhidDevice() = default;
    ~UhidDevice();
    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    // Opens /dev/uhid and sends the UHID_CREATE2 request. False with a reason
    // in `error` when that fails.
    bool Create(const uhid_event& createEvent, std::string& error);
    // Reads the next event; false when the read failed.
    bool ReadEvent(uhid_event& event);
    bool WriteEvent(const uhid_event& event);
    // Removes the device from the system (as if pulled out).
    void Destroy();

    int Descriptor() const { return fd_.Get(); }
    bool Present() const { return fd_.Valid(); }

private:
    OwnedDescriptor fd_;
};

}  // namespace lq3860
