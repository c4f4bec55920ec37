// SPDX-License-Identifier: MIT
#pragma once
// One echo probe of a host, as the platform sends it. Sending also makes the
// system resolve the target's MAC address into the neighbour table.
#include <string>
#include <string_view>

#include "types/debug_output.h"

namespace lq3860 {

enum class ProbeOutcome { Answered, NoReply, NoPermission };

// Sends one ICMP echo request to the dotted IPv4 address and waits about two
// seconds for its reply. Debug marks go to `debug`.
ProbeOutcome ProbeHost(const std::string& address, const DebugOutput& debug);

// Why the probe may be refused on this platform, as the status line says it
// for ProbeOutcome::NoPermission.
std::string_view ProbeRefusedText();

}  // namespace lq3860
