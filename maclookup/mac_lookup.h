// SPDX-License-Identifier: MIT
#pragma once
// The "Get MAC" cycle shared by the Get MAC Address dialog and the
// command-line tool: one echo probe to the address, then one read of the
// chosen adapter's neighbour rows, the match going into the hand-off record.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "maclookup/arp_table_reader.h"
#include "maclookup/host_probe.h"
#include "maclookup/mac_handoff.h"
#include "maclookup/maclookup_messages.h"
#include "maclookup/neighbour_table_source.h"
#include "types/debug_output.h"

namespace lq3860 {

using ProbeFunction = std::function<ProbeOutcome(const std::string& address)>;

enum class GetMacOutcome {
    Found,         // the hand-off holds the MAC, ready = 1
    NotFound,      // the adapter's rows hold no usable entry for the address; ready = 0
    NoAdapter,     // no adapter chosen, so no rows were searched; ready = 0
    TableUnread,   // the neighbour table could not be read, so no rows were searched; ready = 0
    ProbeFailed,   // no echo reply; the hand-off untouched
    NoPermission,  // no ICMP socket was permitted; the hand-off untouched
};

// Lookups of one session: found MACs go into its hand-off record, the rows
// read into its debug output.
class MacLookup {
public:
    MacLookup(MacHandOffRecord& handOff, const DebugOutput& debug) : handOff_(handOff), debug_(debug) {}

    // Reads the rows of interfaceIndex (none: no adapter chosen, no rows),
    // sets ready to 0, writes two debug lines per row and puts the MAC of the
    // last row whose address text equals ipText into macText with ready = 1.
    // Rows of type invalid (2) carry no usable MAC and never match. Found,
    // NotFound, or why no rows were searched.
    GetMacOutcome LookUpMac(CArpTableReader& reader, std::optional<int> interfaceIndex, const std::string& ipText);

    // The whole cycle: probe, and only when the target answered, LookUpMac
    // over a reader of table (whose messages go to onMessage).
    GetMacOutcome GetMacAddress(const std::string& ipText, std::optional<int> interfaceIndex,
                                const ProbeFunction& probe, NeighbourTableSource& table,
                                const ReaderMessage& onMessage);

    // The cycle against the host: ProbeHost and the system's neighbour table.
    GetMacOutcome GetMacAddressOfHost(const std::string& ipText, std::optional<int> interfaceIndex,
                                      const ReaderMessage& onMessage);

private:
    MacHandOffRecord& handOff_;
    const DebugOutput& debug_;
};

// A short explanation of an outcome for a status line; empty for Found and
// ProbeFailed, which speak for themselves. Only NotFound says that the
// address is missing from the adapter's rows: the others searched none.
std::string_view GetMacStatusText(GetMacOutcome outcome);

}  // namespace lq3860
