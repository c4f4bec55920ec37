// SPDX-License-Identifier: MIT
// The host's network interfaces on Linux: every interface of the caller's
// network namespace, named by its interface name.
#include <net/if.h>

#include "maclookup/network_adapters.h"

namespace lq3860 {

std::vector<AdapterRecord> ListHostAdapters() {
    std::vector<AdapterRecord> adapters;
    struct if_nameindex* interfaces = if_nameindex();
    if (interfaces == nullptr) return adapters;
    for (const struct if_nameindex* entry = interfaces; entry->if_index != 0 && entry->if_name != nullptr; ++entry)
        adapters.push_back({std::string(), entry->if_name, static_cast<int>(entry->if_index)});
    if_freenameindex(interfaces);
    return adapters;
}

}  // namespace lq3860
