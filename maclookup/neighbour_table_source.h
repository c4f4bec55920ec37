// SPDX-License-Identifier: MIT
#pragma once
// Where the reader gets the host's IPv4 neighbour (ARP) rows from. The host
// implementation asks the system (rtnetlink on Linux); tests hand in a table.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lq3860 {

// A row's entry type, as the network management tables number it.
inline constexpr std::uint32_t ARP_TYPE_OTHER = 1;
inline constexpr std::uint32_t ARP_TYPE_INVALID = 2;
inline constexpr std::uint32_t ARP_TYPE_DYNAMIC = 3;
inline constexpr std::uint32_t ARP_TYPE_STATIC = 4;

struct NeighbourRow {
    int interfaceIndex = 0;
    std::uint8_t ipv4[4] = {};  // dotted order: byte 0 is the first number
    std::uint8_t mac[16] = {};  // physical address as the kernel holds it
    std::size_t macLength = 0;  // valid bytes in mac (0: none)
    std::uint32_t type = ARP_TYPE_OTHER;
};

class NeighbourTableSource {
public:
    virtual ~NeighbourTableSource() = default;
    // Prepares the source; false when the table cannot be reached at all.
    virtual bool Open() = 0;
    // Every IPv4 neighbour row of every interface, in no particular order.
    // False when the table could not be read this time.
    virtual bool ListRows(std::vector<NeighbourRow>& rows) = 0;
};

}  // namespace lq3860
