// SPDX-License-Identifier: MIT
#pragma once
// The host's neighbour table read from the kernel through libnl-route-3, in
// the network namespace of the calling process.
#include <cstdint>

#include "maclookup/neighbour_table_source.h"

struct nl_sock;

namespace lq3860 {

// Entry type of a row from the kernel's neighbour state (NUD_*): PERMANENT
// static, REACHABLE/STALE/DELAY/PROBE dynamic, INCOMPLETE/FAILED invalid, the
// rest other. Always one of 1..4.
std::uint32_t ArpTypeFromState(std::uint16_t state);

class RtnetlinkNeighbourSource final : public NeighbourTableSource {
public:
    RtnetlinkNeighbourSource() = default;
    ~RtnetlinkNeighbourSource() override;
    RtnetlinkNeighbourSource(const RtnetlinkNeighbourSource&) = delete;
    RtnetlinkNeighbourSource& operator=(const RtnetlinkNeighbourSource&) = delete;

    bool Open() override;
    bool ListRows(std::vector<NeighbourRow>& rows) override;

private:
    nl_sock* socket_ = nullptr;
};

}  // namespace lq3860
