// SPDX-License-Identifier: MIT
// The route's interface on Windows, from GetBestInterface.
// winsock2.h before windows.h, which would otherwise bring the older winsock.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>
#include <ws2tcpip.h>

#include "maclookup/route_lookup.h"

namespace lq3860 {

std::optional<int> RouteInterfaceFor(const std::string& ipv4) {
    IN_ADDR destination{};
    if (inet_pton(AF_INET, ipv4.c_str(), &destination) != 1) return std::nullopt;
    DWORD index = 0;
    if (GetBestInterface(destination.s_addr, &index) != NO_ERROR || index == 0) return std::nullopt;
    return static_cast<int>(index);
}

}  // namespace lq3860
