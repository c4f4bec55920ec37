// SPDX-License-Identifier: MIT
#include "maclookup/neighbour_source_linux.h"

#include "maclookup/host_neighbour_source.h"

#include <linux/neighbour.h>
#include <netlink/addr.h>
#include <netlink/cache.h>
#include <netlink/netlink.h>
#include <netlink/route/neighbour.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace lq3860 {

std::uint32_t ArpTypeFromState(std::uint16_t state) {
    switch (state) {
        case NUD_PERMANENT: return ARP_TYPE_STATIC;
        case NUD_REACHABLE:
        case NUD_STALE:
        case NUD_DELAY:
        case NUD_PROBE: return ARP_TYPE_DYNAMIC;
        case NUD_INCOMPLETE:
        case NUD_FAILED: return ARP_TYPE_INVALID;
        default: return ARP_TYPE_OTHER;
    }
}

namespace {

void AppendRow(nl_object* object, void* context) {
    auto* neighbour = reinterpret_cast<rtnl_neigh*>(object);
    if (rtnl_neigh_get_family(neighbour) != AF_INET) return;
    nl_addr* destination = rtnl_neigh_get_dst(neighbour);
    if (destination == nullptr || nl_addr_get_len(destination) != 4) return;

    NeighbourRow row;
    row.interfaceIndex = rtnl_neigh_get_ifindex(neighbour);
    std::memcpy(row.ipv4, nl_addr_get_binary_addr(destination), 4);
    const int state = rtnl_neigh_get_state(neighbour);
    row.type = ArpTypeFromState(state < 0 ? 0 : static_cast<std::uint16_t>(state));
    if (nl_addr* link = rtnl_neigh_get_lladdr(neighbour); link != nullptr) {
        row.macLength = std::min<std::size_t>(nl_addr_get_len(link), sizeof row.mac);
        std::memcpy(row.mac, nl_addr_get_binary_addr(link), row.macLength);
    }
    static_cast<std::vector<NeighbourRow>*>(context)->push_back(row);
}

}  // namespace

RtnetlinkNeighbourSource::~RtnetlinkNeighbourSource() {
    if (socket_ != nullptr) nl_socket_free(socket_);
}

bool RtnetlinkNeighbourSource::Open() {
    if (socket_ != nullptr) return true;
    socket_ = nl_socket_alloc();
    if (socket_ == nullptr) return false;
    if (nl_connect(socket_, NETLINK_ROUTE) < 0) {
        nl_socket_free(socket_);
        socket_ = nullptr;
        return false;
    }
    return true;
}

bool RtnetlinkNeighbourSource::ListRows(std::vector<NeighbourRow>& rows) {
    rows.clear();
    if (socket_ == nullptr) return false;
    nl_cache* cache = nullptr;
    if (rtnl_neigh_alloc_cache(socket_, &cache) < 0) return false;
    nl_cache_foreach(cache, AppendRow, &rows);
    nl_cache_free(cache);
    return true;
}

std::unique_ptr<NeighbourTableSource> HostNeighbourSource() {
    return std::make_unique<RtnetlinkNeighbourSource>();
}

}  // namespace lq3860
