// SPDX-License-Identifier: MIT
// The host's neighbour (ARP) table on Windows, read with GetIpNetTable.
// winsock2.h before windows.h, which would otherwise bring the older winsock.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "maclookup/host_neighbour_source.h"
#include "maclookup/neighbour_source_windows.h"

namespace lq3860 {

namespace {

// The table can grow between the size query and the read; a few tries are
// enough for any table that is not changing all the time.
constexpr int TABLE_READ_TRIES = 4;

// True for no bytes at all, too.
bool IsZero(const std::uint8_t* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

class IpHelperNeighbourSource final : public NeighbourTableSource {
public:
    // IP Helper is linked with the program; there is nothing to load.
    bool Open() override { return true; }

    bool ListRows(std::vector<NeighbourRow>& rows) override {
        rows.clear();
        // DWORD elements keep the table's alignment.
        std::vector<DWORD> buffer;
        ULONG size = 0;
        DWORD result = GetIpNetTable(nullptr, &size, FALSE);
        for (int attempt = 0; attempt < TABLE_READ_TRIES && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
            buffer.assign(size / sizeof(DWORD) + 1, 0);
            size = static_cast<ULONG>(buffer.size() * sizeof(DWORD));
            result = GetIpNetTable(reinterpret_cast<MIB_IPNETTABLE*>(buffer.data()), &size, FALSE);
        }
        // An empty table is answered with ERROR_NO_DATA.
        if (result == ERROR_NO_DATA) return true;
        if (result != NO_ERROR || buffer.empty()) return false;

        const auto* table = reinterpret_cast<const MIB_IPNETTABLE*>(buffer.data());
        // The row count must fit in what the call wrote.
        const std::size_t capacity =
            (buffer.size() * sizeof(DWORD) - offsetof(MIB_IPNETTABLE, table)) / sizeof(MIB_IPNETROW);
        const std::size_t count = std::min<std::size_t>(table->dwNumEntries, capacity);
        rows.reserve(count);
        for (std::size_t i = 0; i < count; ++i) rows.push_back(NeighbourRowOf(table->table[i]));
        return true;
    }
};

}  // namespace

NeighbourRow NeighbourRowOf(const MIB_IPNETROW& entry) {
    NeighbourRow row;
    row.interfaceIndex = static_cast<int>(entry.dwIndex);
    // dwAddr is in network order, so its bytes in memory are the numbers of
    // the dotted address, first number first.
    std::memcpy(row.ipv4, &entry.dwAddr, sizeof row.ipv4);
    row.macLength = std::min<std::size_t>({entry.dwPhysAddrLen, sizeof entry.bPhysAddr, sizeof row.mac});
    std::memcpy(row.mac, entry.bPhysAddr, row.macLength);
    // MIB_IPNET_TYPE_OTHER 1, INVALID 2, DYNAMIC 3, STATIC 4: the same
    // numbers as the table's entry types; anything else is other.
    row.type = entry.dwType >= ARP_TYPE_OTHER && entry.dwType <= ARP_TYPE_STATIC ? entry.dwType : ARP_TYPE_OTHER;
    // A dynamic entry without a physical address has not been resolved:
    // invalid, as Windows reports it. Wine lists such entries (the kernel's
    // INCOMPLETE and FAILED ones) as dynamic with a zero address.
    if (row.type == ARP_TYPE_DYNAMIC && IsZero(row.mac, row.macLength)) row.type = ARP_TYPE_INVALID;
    return row;
}

std::unique_ptr<NeighbourTableSource> HostNeighbourSource() {
    return std::make_unique<IpHelperNeighbourSource>();
}

}  // namespace lq3860
