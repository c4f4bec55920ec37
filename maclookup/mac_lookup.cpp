// SPDX-License-Identifier: MIT
#include "maclookup/mac_lookup.h"

#include <cstdio>

#include "maclookup/host_neighbour_source.h"
#include "types/mac_text.h"
#include "types/module_params.h"

namespace lq3860 {

GetMacOutcome MacLookup::LookUpMac(CArpTableReader& reader, std::optional<int> interfaceIndex,
                                   const std::string& ipText) {
    ArpEntry rows[ARP_MAX_ENTRIES];
    const int count = interfaceIndex ? reader.ReadEntries(rows, ARP_MAX_ENTRIES, *interfaceIndex) : 0;
    handOff_.ready = 0;

    bool found = false;
    for (int i = 0; i < count; ++i) {
        const ArpEntry& row = rows[i];
        char address[16];
        std::snprintf(address, sizeof address, "%u.%u.%u.%u", row.ipAddress[0], row.ipAddress[1], row.ipAddress[2],
                      row.ipAddress[3]);
        debug_.Write(address);
        debug_.Write(MacText(row.macAddress));
        if (row.type == ARP_TYPE_INVALID || ipText != address) continue;
        for (std::size_t b = 0; b < MAC_LENGTH; ++b) handOff_.macText[b] = MacByteText(row.macAddress[b]);
        handOff_.ready = 1;
        found = true;  // later matching rows overwrite: the last one wins
    }
    if (found) return GetMacOutcome::Found;
    if (!interfaceIndex) return GetMacOutcome::NoAdapter;
    return reader.TableRead() ? GetMacOutcome::NotFound : GetMacOutcome::TableUnread;
}

GetMacOutcome MacLookup::GetMacAddress(const std::string& ipText, std::optional<int> interfaceIndex,
                                       const ProbeFunction& probe, NeighbourTableSource& table,
                                       const ReaderMessage& onMessage) {
    switch (probe(ipText)) {
        case ProbeOutcome::NoPermission: return GetMacOutcome::NoPermission;
        case ProbeOutcome::NoReply: return GetMacOutcome::ProbeFailed;
        case ProbeOutcome::Answered: break;
    }
    CArpTableReader reader(table, onMessage);
    return LookUpMac(reader, interfaceIndex, ipText);
}

GetMacOutcome MacLookup::GetMacAddressOfHost(const std::string& ipText, std::optional<int> interfaceIndex,
                                             const ReaderMessage& onMessage) {
    const std::unique_ptr<NeighbourTableSource> table = HostNeighbourSource();
    const ProbeFunction probe = [this](const std::string& address) { return ProbeHost(address, debug_); };
    return GetMacAddress(ipText, interfaceIndex, probe, *table, onMessage);
}

std::string_view GetMacStatusText(GetMacOutcome outcome) {
    switch (outcome) {
        case GetMacOutcome::NotFound: return MAC_NOT_FOUND_STATUS;
        case GetMacOutcome::NoAdapter: return NO_ADAPTER_STATUS;
        case GetMacOutcome::TableUnread: return TABLE_UNREAD_STATUS;
        case GetMacOutcome::NoPermission: return ProbeRefusedText();
        case GetMacOutcome::Found:
        case GetMacOutcome::ProbeFailed: break;
    }
    return {};
}

}  // namespace lq3860
