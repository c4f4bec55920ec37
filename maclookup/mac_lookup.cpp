// SPDX-License-Identifier: MIT
#include "maclookup/mac_lookup.h"

#include <cstdio>

#include "maclookup/host_neighbour_source.h"

namespace lq3860 {

namespace {
constexpr std::uint32_t ARP_TYPE_INVALID = 2;
}  // namespace

bool MacLookup::LookUpMac(CArpTableReader& reader, std::optional<int> interfaceIndex, const std::string& ipText) {
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
        char mac[18];
        std::snprintf(mac, sizeof mac, "%02X-%02X-%02X-%02X-%02X-%02X", row.macAddress[0], row.macAddress[1],
                      row.macAddress[2], row.macAddress[3], row.macAddress[4], row.macAddress[5]);
        debug_.Write(mac);
        if (row.type == ARP_TYPE_INVALID || ipText != address) continue;
        for (int b = 0; b < 6; ++b) {
            char byteText[3];
            std::snprintf(byteText, sizeof byteText, "%02X", row.macAddress[b]);
            handOff_.macText[static_cast<std::size_t>(b)] = byteText;
        }
        handOff_.ready = 1;
        found = true;  // later matching rows overwrite: the last one wins
    }
    return found;
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
    return LookUpMac(reader, interfaceIndex, ipText) ? GetMacOutcome::Found : GetMacOutcome::NotFound;
}

GetMacOutcome MacLookup::GetMacAddressOfHost(const std::string& ipText, std::optional<int> interfaceIndex,
                                             const ReaderMessage& onMessage) {
    const std::unique_ptr<NeighbourTableSource> table = HostNeighbourSource();
    const ProbeFunction probe = [this](const std::string& address) { return ProbeHost(address, debug_); };
    return GetMacAddress(ipText, interfaceIndex, probe, *table, onMessage);
}

std::string_view GetMacStatusText(GetMacOutcome outcome) {
    switch (outcome) {
        case GetMacOutcome::NotFound: return "No entry for this address on this adapter.";
        case GetMacOutcome::NoPermission: return "No permission to send ICMP (needs CAP_NET_RAW).";
        case GetMacOutcome::Found:
        case GetMacOutcome::ProbeFailed: break;
    }
    return {};
}

}  // namespace lq3860
