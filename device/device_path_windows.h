// SPDX-License-Identifier: MIT
#pragma once
// HID interface paths on Windows, as the program keeps them. Windows names
// one interface in different cases (the device listing gives
// "\\?\hid#vid_7e3a&...", a device notification "\\?\HID#VID_7E3A&..."), and
// compares them without case; the program keeps them in lower case, so the
// same interface has the same path wherever it was learnt.
#include <cstdint>
#include <string>
#include <string_view>

namespace lq3860 {

// The interface path in UTF-8 and ASCII lower case.
std::string InterfacePathOf(std::wstring_view systemPath);

// The USB vendor id the path names ("vid_7e3a" after a separator); 0 when
// it names none.
std::uint16_t VendorIdOfInterfacePath(std::string_view path);

}  // namespace lq3860
