#pragma once
// The interface on which the system sends to an IPv4 address: the adapter
// whose neighbour rows a lookup of that address reads when the user names no
// adapter.
#include <optional>
#include <string>

namespace lq3860 {

// The interface index of the route to the dotted IPv4 address; nothing when
// the text is no such address or no route leads there.
std::optional<int> RouteInterfaceFor(const std::string& ipv4);

}  // namespace lq3860
