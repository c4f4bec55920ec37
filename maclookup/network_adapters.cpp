#include "maclookup/network_adapters.h"

#include <net/if.h>
#include <strings.h>

#include <algorithm>

std::vector<AdapterRecord> ListHostAdapters() {
    std::vector<AdapterRecord> adapters;
    struct if_nameindex* interfaces = if_nameindex();
    if (interfaces == nullptr) return adapters;
    for (const struct if_nameindex* entry = interfaces; entry->if_index != 0 && entry->if_name != nullptr; ++entry)
        adapters.push_back({std::string(), entry->if_name, static_cast<int>(entry->if_index)});
    if_freenameindex(interfaces);
    return adapters;
}

std::vector<AdapterItem> AdapterListItems(const std::vector<AdapterRecord>& adapters) {
    std::vector<AdapterItem> items;
    items.reserve(adapters.size());
    for (const AdapterRecord& adapter : adapters)
        items.push_back({adapter.description.empty() ? adapter.name : adapter.description,
                         adapter.interfaceIndex});
    // Sorted as a sorted list box does: case does not count unless that is
    // the only difference.
    std::stable_sort(items.begin(), items.end(), [](const AdapterItem& a, const AdapterItem& b) {
        const int folded = strcasecmp(a.text.c_str(), b.text.c_str());
        return folded != 0 ? folded < 0 : a.text < b.text;
    });
    return items;
}

std::optional<int> FindHostAdapterIndex(std::string_view name) {
    for (const AdapterRecord& adapter : ListHostAdapters())
        if (adapter.name == name) return adapter.interfaceIndex;
    return std::nullopt;
}
