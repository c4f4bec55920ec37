#pragma once
// The host's neighbour table read from the kernel through libnl-route-3, in
// the network namespace of the calling process.
#include "maclookup/neighbour_table_source.h"

struct nl_sock;

class RtnetlinkNeighbourSource final : public NeighbourTableSource {
public:
    RtnetlinkNeighbourSource() = default;
    ~RtnetlinkNeighbourSource() override;
    RtnetlinkNeighbourSource(const RtnetlinkNeighbourSource&) = delete;
    RtnetlinkNeighbourSource& operator=(const RtnetlinkNeighbourSource&) = delete;

    bool Open() override;
    bool ListRows(std::vector<NeighbourRow>& rows) override;

private:
    nl_sock* socket = nullptr;
};
