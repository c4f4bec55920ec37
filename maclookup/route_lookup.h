// SPDX-License-Identifier: MIT
#pragma once
// Which network interface the host's route to an IPv4 address goes out of:
// the adapter a lookup of that address asks on when none is named. One file
// per platform implements it (route_lookup_linux.cpp, route_lookup_windows.cpp).
#include <optional>
#include <string>

namespace lq3860 {

// The interface index of the route's output interface (on Linux in the
// caller's network namespace); none for a text that is no dotted IPv4
// address, an address without a route, or when the routing table cannot be
// asked.
std::optional<int> RouteInterfaceFor(const std::string& ipv4);

}  // namespace lq3860
