// SPDX-License-Identifier: MIT
#pragma once
// One row of the Windows neighbour table (GetIpNetTable) as the MAC lookup
// reads it. Windows only.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include "maclookup/neighbour_table_source.h"

namespace lq3860 {

// The interface index, the address, at most 8 bytes of physical address and
// the type 1..4 (anything else becomes 1, other). A dynamic row without a
// physical address (all zero or none) becomes 2, invalid.
NeighbourRow NeighbourRowOf(const MIB_IPNETROW& entry);

}  // namespace lq3860
