// SPDX-License-Identifier: MIT
#include "uhid_sim/report_descriptor.h"

#include "device/hid_device_table.h"

namespace lq3860 {

namespace {

// Short items: prefix byte = tag | type | size code.
void AddVendorCollection(std::vector<std::uint8_t>& out, std::uint8_t usage,
                         std::initializer_list<std::uint8_t> reports) {
    const std::uint8_t pageLow = LQ3860_USAGE_PAGE & 0xff;
    const std::uint8_t pageHigh = LQ3860_USAGE_PAGE >> 8;
    out.insert(out.end(), {
                              0x06, pageLow, pageHigh,  // Usage Page (vendor defined 0xFF00)
                              0x09, usage,              // Usage
                              0xA1, 0x01,               // Collection (Application)
                              0x15, 0x00,               //   Logical Minimum 0
                              0x26, 0xFF, 0x00,         //   Logical Maximum 255
                              0x75, 0x08,               //   Report Size 8 bits
                          });
    out.insert(out.end(), reports);
    out.push_back(0xC0);  // End Collection
}

}  // namespace

std::vector<std::uint8_t> BuildReportDescriptor(bool secondCollection, std::uint8_t inputBytes) {
    std::vector<std::uint8_t> out;
    AddVendorCollection(out, LQ3860_USAGE,
                        {
                            0x95, inputBytes,  // Report Count
                            0x09, 0x01,        // Usage
                            0x81, 0x02,        // Input (Data, Variable, Absolute)
                            0x95, 0x40,        // Report Count 64
                            0x09, 0x01,        // Usage
                            0x91, 0x02,        // Output (Data, Variable, Absolute)
                        });
    if (secondCollection) {
        AddVendorCollection(out, SECOND_COLLECTION_USAGE,
                            {
                                0x95, 0x01,  // Report Count 1
                                0x09, 0x01,  // Usage
                                0xB1, 0x02,  // Feature (Data, Variable, Absolute)
                            });
    }
    return out;
}

}  // namespace lq3860
