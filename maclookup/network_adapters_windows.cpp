// SPDX-License-Identifier: MIT
// The host's network adapters on Windows, from GetAdaptersAddresses.
// winsock2.h before windows.h, which would otherwise bring the older winsock.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <vector>

#include "maclookup/network_adapters.h"
#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

// What Microsoft recommends as the first buffer; the call says when it needs
// more.
constexpr ULONG FIRST_BUFFER_SIZE = 15000;
constexpr int LIST_READ_TRIES = 4;

std::string TextOf(const wchar_t* wide) {
    return wide == nullptr ? std::string() : WideToUtf8(wide);
}

}  // namespace

// Every adapter with IPv4: the description is the adapter's Description (the
// hardware's name, as the legacy adapter list showed it), the name is the
// friendly name the user knows from the system's settings ("Ethernet",
// "Wi-Fi"), or the adapter's GUID name where that is empty. The interface
// index is the IPv4 interface index that GetIpNetTable and GetBestInterface
// use.
std::vector<AdapterRecord> ListHostAdapters() {
    std::vector<AdapterRecord> adapters;
    constexpr ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // 64-bit elements keep the records' alignment.
    std::vector<ULONGLONG> buffer;
    ULONG size = FIRST_BUFFER_SIZE;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < LIST_READ_TRIES && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.assign(size / sizeof(ULONGLONG) + 1, 0);
        size = static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG));
        result = GetAdaptersAddresses(AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                                      &size);
    }
    if (result != NO_ERROR) return adapters;

    for (const auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        // An adapter without IPv4 has index 0 and no neighbour rows.
        if (adapter->IfIndex == 0) continue;
        AdapterRecord record;
        record.description = TextOf(adapter->Description);
        record.name = TextOf(adapter->FriendlyName);
        if (record.name.empty() && adapter->AdapterName != nullptr) record.name = adapter->AdapterName;
        record.interfaceIndex = static_cast<int>(adapter->IfIndex);
        adapters.push_back(std::move(record));
    }
    return adapters;
}

}  // namespace lq3860
