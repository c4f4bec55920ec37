// SPDX-License-Identifier: MIT
#pragma once
// One echo probe of a host, as the platform sends it. Sending also makes the
// system resolve the target's MAC address into the neighbour table.
#include <string>

#include "types/debug_output.h"

namespace lq3860 {

enum class ProbeOutcome { Answered, NoReply, NoPermission };

// Sends one ICMP echo request to the dotted IPv4 address and waits about two
// seconds for its reply. Debug marks go to `debug`.
ProbeOutcome ProbeHost(const std::string& address, const DebugOutput& debug);

}  // namespace lq3860
