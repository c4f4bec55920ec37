// SPDX-License-Identifier: MIT
#pragma once
// The MAC lookup's user-facing texts. The Get MAC Address dialog and the
// command-line tool show the same ones.

namespace lq3860 {

// The probe failed (no reply, or no ICMP socket permitted); the dialog shows
// it with the error icon.
inline constexpr const char* GET_MAC_ERROR_MESSAGE = "Get MAC Address Error";

// The neighbour table cannot be reached.
inline constexpr const char* NEIGHBOUR_TABLE_FAILURE_MESSAGE = "Load library fail";

// Status line beside the error: the probe was answered but the adapter's
// rows hold no usable entry. (Where no ICMP socket is permitted, the status
// line gives the platform's reason: ProbeRefusedText in host_probe.h.)
inline constexpr const char* MAC_NOT_FOUND_STATUS = "No entry for this address on this adapter.";

// Status lines when no rows could be searched: no adapter is listed or
// chosen, or the neighbour table could not be read (after "Load library
// fail", or when the system refused the listing).
inline constexpr const char* NO_ADAPTER_STATUS = "No network adapter to search.";
inline constexpr const char* TABLE_UNREAD_STATUS = "The neighbour table could not be read.";

}  // namespace lq3860
