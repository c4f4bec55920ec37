// SPDX-License-Identifier: MIT
#include "maclookup/arp_table_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "maclookup/maclookup_messages.h"

namespace lq3860 {

CArpTableReader::CArpTableReader(NeighbourTableSource& tableSource, const ReaderMessage& onMessage)
    : source_(tableSource), agentReady_(tableSource.Open()), tableRead_(agentReady_) {
    if (!agentReady_ && onMessage) onMessage(NEIGHBOUR_TABLE_FAILURE_MESSAGE);
}

int CArpTableReader::ReadEntries(ArpEntry* rows, int maxRows, int interfaceIndex) {
    if (!agentReady_ || rows == nullptr || maxRows <= 0) return 0;
    std::memset(rows, 0, sizeof(ArpEntry) * static_cast<std::size_t>(maxRows));

    std::vector<NeighbourRow> table;
    tableRead_ = source_.ListRows(table);
    if (!tableRead_) return 0;
    // The table order: interface index, then the address number by number.
    // Rows the kernel lists twice keep their listed order.
    std::stable_sort(table.begin(), table.end(), [](const NeighbourRow& a, const NeighbourRow& b) {
        if (a.interfaceIndex != b.interfaceIndex) return a.interfaceIndex < b.interfaceIndex;
        return std::memcmp(a.ipv4, b.ipv4, sizeof a.ipv4) < 0;
    });

    int count = 0;
    for (const NeighbourRow& row : table) {
        if (count == maxRows) break;
        if (row.interfaceIndex != interfaceIndex || row.type < ARP_TYPE_OTHER || row.type > ARP_TYPE_STATIC) continue;
        ArpEntry& slot = rows[count++];
        slot.type = row.type;
        std::memcpy(slot.ipAddress, row.ipv4, sizeof slot.ipAddress);
        // A shorter physical address keeps the zeroes of the cleared slot.
        std::memcpy(slot.macAddress, row.mac, std::min(row.macLength, sizeof slot.macAddress));
    }
    return count;
}

}  // namespace lq3860
