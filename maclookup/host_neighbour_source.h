// SPDX-License-Identifier: MIT
#pragma once
// The system's own neighbour table, as this platform reads it.
#include <memory>

#include "maclookup/neighbour_table_source.h"

namespace lq3860 {

std::unique_ptr<NeighbourTableSource> HostNeighbourSource();

}  // namespace lq3860
