// SPDX-License-Identifier: MIT
#include "maclookup/network_adapters.h"

#include <algorithm>

namespace lq3860 {

namespace {

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Negative, zero or positive as a sorts before, with or after b when case
// does not count (ASCII letters; other bytes by value).
int CompareIgnoringCase(const std::string& a, const std::string& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto left = static_cast<unsigned char>(FoldCase(a[i]));
        const auto right = static_cast<unsigned char>(FoldCase(b[i]));
        if (left != right) return left < right ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

std::vector<AdapterItem> AdapterListItems(const std::vector<AdapterRecord>& adapters) {
    std::vector<AdapterItem> items;
    items.reserve(adapters.size());
    for (const AdapterRecord& adapter : adapters)
        items.push_back({adapter.description.empty() ? adapter.name : adapter.description, adapter.interfaceIndex});
    // Sorted as a sorted list box does: case does not count unless that is
    // the only difference.
    std::stable_sort(items.begin(), items.end(), [](const AdapterItem& a, const AdapterItem& b) {
        const int folded = CompareIgnoringCase(a.text, b.text);
        return folded != 0 ? folded < 0 : a.text < b.text;
    });
    return items;
}

std::optional<int> FindHostAdapterIndex(std::string_view name) {
    for (const AdapterRecord& adapter : ListHostAdapters())
        if (adapter.name == name) return adapter.interfaceIndex;
    return std::nullopt;
}

}  // namespace lq3860
