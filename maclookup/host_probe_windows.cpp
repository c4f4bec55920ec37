// SPDX-License-Identifier: MIT
// The echo probe on Windows: one ICMP echo through the system's ICMP service
// (IcmpSendEcho2), which needs no administrator rights and no raw socket.
// winsock2.h before windows.h, which would otherwise bring the older winsock.h.
#include <winsock2.h>

#include <windows.h>

// iphlpapi.h brings ipexport.h, whose types icmpapi.h needs.
#include <iphlpapi.h>

#include <icmpapi.h>
#include <ws2tcpip.h>

#include <cstdint>

#include "maclookup/host_probe.h"

namespace lq3860 {

namespace {

// How long the target has to answer.
constexpr DWORD REPLY_TIME_MS = 2000;
// The request's data: the 32 characters from the space to the question mark,
// as the echo request packet carries them.
constexpr std::size_t REQUEST_DATA_SIZE = 32;
// Room for one reply: the reply record, the echoed data, an ICMP error
// message's 8 bytes and the status block the service writes behind them,
// with plenty to spare for more than one reply.
constexpr std::size_t REPLY_BUFFER_SIZE = 1024;
static_assert(REPLY_BUFFER_SIZE >= sizeof(ICMP_ECHO_REPLY) + REQUEST_DATA_SIZE + 8 + 2 * sizeof(void*) + 8);

bool IsPermissionError(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_PRIVILEGE_NOT_HELD || error == WSAEACCES;
}

// Closes the ICMP handle on every way out.
class IcmpHandle {
public:
    IcmpHandle() : handle_(IcmpCreateFile()) {}
    ~IcmpHandle() {
        if (Valid()) IcmpCloseHandle(handle_);
    }
    IcmpHandle(const IcmpHandle&) = delete;
    IcmpHandle& operator=(const IcmpHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

// Debug marks as on every platform: "1" no ICMP service, "2" not an IPv4
// address, "3" the send failed, "4" no reply from the target.
ProbeOutcome ProbeHost(const std::string& address, const DebugOutput& debug) {
    IcmpHandle icmp;
    if (!icmp.Valid()) {
        const DWORD error = GetLastError();
        debug.Write("1");
        return IsPermissionError(error) ? ProbeOutcome::NoPermission : ProbeOutcome::NoReply;
    }
    IN_ADDR target{};
    if (inet_pton(AF_INET, address.c_str(), &target) != 1) {
        debug.Write("2");
        return ProbeOutcome::NoReply;
    }
    const IPAddr destination = target.s_addr;

    std::uint8_t request[REQUEST_DATA_SIZE];
    for (std::size_t i = 0; i < sizeof request; ++i) request[i] = static_cast<std::uint8_t>(0x20 + i);
    alignas(ICMP_ECHO_REPLY) std::uint8_t replies[REPLY_BUFFER_SIZE] = {};

    // Without an event or a callback the call is synchronous: it returns
    // when a reply came or the time is up.
    const DWORD count =
        IcmpSendEcho2(icmp.Get(), nullptr, nullptr, nullptr, destination, request, static_cast<WORD>(sizeof request),
                      nullptr, replies, static_cast<DWORD>(sizeof replies), REPLY_TIME_MS);
    if (count == 0) {
        const DWORD error = GetLastError();
        if (IsPermissionError(error)) {
            debug.Write("1");
            return ProbeOutcome::NoPermission;
        }
        // IP_REQ_TIMED_OUT is the plain "no answer"; an unreachable network
        // or host is no answer either.
        if (error != IP_REQ_TIMED_OUT) {
            debug.Write("3");
            return ProbeOutcome::NoReply;
        }
        debug.Write("4");
        return ProbeOutcome::NoReply;
    }
    // Only an echo reply from the target itself counts; an error report from
    // a router on the way (destination unreachable, time exceeded) does not.
    const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(replies);
    for (DWORD i = 0; i < count && (i + 1) * sizeof(ICMP_ECHO_REPLY) <= sizeof replies; ++i) {
        if (reply[i].Status == IP_SUCCESS && reply[i].Address == destination) return ProbeOutcome::Answered;
    }
    debug.Write("4");
    return ProbeOutcome::NoReply;
}

// The ICMP service needs no privilege of its own: where it refuses with
// "access denied", a firewall or security policy keeps this program from
// sending echo requests. As short as the Linux text: it fits the dialog's
// status line.
std::string_view ProbeRefusedText() {
    return "No permission to send ICMP (firewall or policy).";
}

}  // namespace lq3860
