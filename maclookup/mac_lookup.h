#pragma once
// The "Get MAC" cycle shared by the Get MAC Address dialog and the
// command-line tool: one echo probe to the address, then one read of the
// chosen adapter's neighbour rows, the match going into MacHandOff.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "maclookup/arp_table_reader.h"
#include "maclookup/neighbour_table_source.h"

// What the user is told when the probe fails (no reply, or no ICMP socket
// permitted); the dialog shows it with the error icon.
inline constexpr const char* GET_MAC_ERROR_MESSAGE = "Get MAC Address Error";

enum class ProbeOutcome { Answered, NoReply, NoPermission };
using ProbeFunction = std::function<ProbeOutcome(const std::string& address)>;

// One echo probe of the host (CEchoProbe).
ProbeOutcome ProbeHost(const std::string& address);

enum class GetMacOutcome {
    Found,         // MacHandOff holds the MAC, ready = 1
    NotFound,      // the adapter's rows hold no usable entry for the address; ready = 0
    ProbeFailed,   // no echo reply; MacHandOff untouched
    NoPermission,  // no ICMP socket was permitted; MacHandOff untouched
};

// Reads the rows of interfaceIndex (none: no adapter chosen, no rows), sets
// MacHandOff.ready to 0, writes two debug lines per row and puts the MAC of
// the last row whose address text equals ipText into MacHandOff.macText with
// ready = 1. Rows of type invalid (2) carry no usable MAC and never match.
bool LookUpMac(CArpTableReader& reader, std::optional<int> interfaceIndex, const std::string& ipText);

// The whole cycle: probe, and only when the target answered, LookUpMac over
// a reader of table (whose messages go to onMessage).
GetMacOutcome GetMacAddress(const std::string& ipText, std::optional<int> interfaceIndex,
                            const ProbeFunction& probe, NeighbourTableSource& table,
                            const ReaderMessage& onMessage);

// The cycle against the host: ProbeHost and the kernel's neighbour table.
GetMacOutcome GetMacAddressOfHost(const std::string& ipText, std::optional<int> interfaceIndex,
                                  const ReaderMessage& onMessage);

// A short explanation of an outcome for a status line; empty for Found and
// ProbeFailed, which speak for themselves.
std::string_view GetMacStatusText(GetMacOutcome outcome);
