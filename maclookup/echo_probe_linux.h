// SPDX-License-Identifier: MIT
#pragma once
// The echo probe over Linux ICMP sockets: sends one echo request to an IPv4
// address and waits about two seconds for the matching echo reply.
#include <netinet/in.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>

#include "maclookup/echo_packet.h"
#include "types/debug_output.h"

namespace lq3860 {

// The 32-bit millisecond tick count written into each echo request.
using TickSource = std::function<std::uint32_t()>;
std::uint32_t MonotonicTickCount();

class CEchoProbe {
public:
    // Counters of the next echo request's identifier and sequence; their low
    // 16 bits go into the packet. Both start at 1 and move together.
    static inline std::uint32_t nextIdentifier = 1;
    static inline std::uint32_t nextSequence = 1;
    // How long after sending the reply may arrive.
    static constexpr std::chrono::milliseconds REPLY_TIME{2000};

    explicit CEchoProbe(const DebugOutput& debug, TickSource tickSource = MonotonicTickCount);

    // True when the target answered the echo in time. Debug marks: "1" no
    // socket, "2" not an IPv4 address, "3" the wait failed, "4" no reply.
    bool Probe(const char* address);
    // After a failed Probe: true when no ICMP socket was permitted (neither
    // raw nor the unprivileged datagram socket).
    bool PermissionDenied() const { return permissionDenied_; }

    // Takes the next identifier and sequence and builds the echo request.
    const EchoRequestPacket& NextEchoRequest();
    // Sends the next echo request; returns the bytes sent or -1.
    ssize_t SendEchoRequest(int socket, const sockaddr_in& destination);
    // Reads datagrams until the reply to the last sent echo arrives: 1, the
    // reply time runs out: 0, or the wait fails: -1.
    int WaitForReply(int socket);

private:
    int OpenSocket();

    const DebugOutput& debug_;
    TickSource ticks_;
    EchoRequestPacket packet_{};
    EchoExpectation expected_;
    bool datagramSocket_ = false;
    bool permissionDenied_ = false;
    std::chrono::steady_clock::time_point deadline_;
};

}  // namespace lq3860
