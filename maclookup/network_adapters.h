// SPDX-License-Identifier: MIT
#pragma once
// The host's network adapters as the Get MAC Address dialog lists them: a
// display text and the interface index that neighbour rows carry.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lq3860 {

struct AdapterRecord {
    std::string description;  // may be empty
    std::string name;
    int interfaceIndex = 0;
};

struct AdapterItem {
    std::string text;
    int interfaceIndex = 0;
};

// Every network interface of the host (in the caller's network namespace).
// Linux interfaces carry no description, so the name is shown; on Windows
// the description is the hardware's name and the name the friendly one
// ("Ethernet").
std::vector<AdapterRecord> ListHostAdapters();

// The items of the adapter list, sorted by text ignoring case: the
// description, or the adapter's name when the description is empty.
std::vector<AdapterItem> AdapterListItems(const std::vector<AdapterRecord>& adapters);

// The interface index of the named host adapter.
std::optional<int> FindHostAdapterIndex(std::string_view name);

}  // namespace lq3860
