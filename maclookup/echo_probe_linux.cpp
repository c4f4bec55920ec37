// SPDX-License-Identifier: MIT
#include "maclookup/echo_probe_linux.h"

#include <arpa/inet.h>
#include <linux/icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include "maclookup/host_probe.h"
#include "types/owned_descriptor_posix.h"

namespace lq3860 {

namespace {

constexpr std::size_t RECEIVE_BUFFER_SIZE = 1500;

bool IsPermissionError(int error) {
    return error == EPERM || error == EACCES;
}

}  // namespace

std::uint32_t MonotonicTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(milliseconds);
}

CEchoProbe::CEchoProbe(const DebugOutput& debug, TickSource tickSource)
    : debug_(debug), ticks_(std::move(tickSource)) {}

int CEchoProbe::OpenSocket() {
    datagramSocket_ = false;
    int fd = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0) {
        // Only echo replies need to wake the wait.
        icmp_filter filter{~(1u << ICMP_ECHOREPLY)};
        setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
        return fd;
    }
    const int rawError = errno;
    // Without CAP_NET_RAW: the unprivileged ICMP socket, allowed where
    // net.ipv4.ping_group_range includes one of our groups.
    fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0) {
        datagramSocket_ = true;
        return fd;
    }
    permissionDenied_ = IsPermissionError(rawError) && IsPermissionError(errno);
    return -1;
}

bool CEchoProbe::Probe(const char* address) {
    permissionDenied_ = false;
    const OwnedDescriptor socket(OpenSocket());
    if (!socket.Valid()) {
        debug_.Write("1");
        return false;
    }
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    if (address == nullptr || inet_pton(AF_INET, address, &destination.sin_addr) != 1) {
        debug_.Write("2");
        return false;
    }
    SendEchoRequest(socket.Get(), destination);  // a failed send leaves the wait to decide
    const int waited = WaitForReply(socket.Get());
    if (waited < 0) {
        debug_.Write("3");
        return false;
    }
    if (waited == 0) {
        debug_.Write("4");
        return false;
    }
    return true;
}

const EchoRequestPacket& CEchoProbe::NextEchoRequest() {
    const auto identifier = static_cast<std::uint16_t>(nextIdentifier++);
    const auto sequence = static_cast<std::uint16_t>(nextSequence++);
    packet_ = BuildEchoRequest(identifier, sequence, ticks_ ? ticks_() : 0u);
    return packet_;
}

ssize_t CEchoProbe::SendEchoRequest(int socket, const sockaddr_in& destination) {
    const EchoRequestPacket& request = NextEchoRequest();
    const ssize_t sent = sendto(socket, request.data(), request.size(), 0,
                                reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    deadline_ = std::chrono::steady_clock::now() + REPLY_TIME;

    expected_.target = destination.sin_addr.s_addr;
    std::memcpy(expected_.sequence, request.data() + 6, 2);
    std::memcpy(expected_.identifier, request.data() + 4, 2);
    if (datagramSocket_) {
        // The kernel puts the socket's own port into the identifier field.
        sockaddr_in local{};
        socklen_t localLength = sizeof local;
        if (getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localLength) == 0)
            std::memcpy(expected_.identifier, &local.sin_port, 2);
    }
    return sent;
}

int CEchoProbe::WaitForReply(int socket) {
    std::uint8_t buffer[RECEIVE_BUFFER_SIZE];
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
        if (left.count() <= 0) return 0;
        pollfd watched{socket, POLLIN, 0};
        const int ready = poll(&watched, 1, static_cast<int>(left.count()));
        if (ready < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (ready == 0) return 0;
        if ((watched.revents & POLLNVAL) != 0) return -1;

        sockaddr_in source{};
        socklen_t sourceLength = sizeof source;
        const ssize_t received =
            recvfrom(socket, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&source), &sourceLength);
        // A pending socket error (say, an unreachable host) is read here and
        // is not a reply; keep waiting.
        if (received <= 0) continue;
        const auto length = static_cast<std::size_t>(received);
        std::size_t icmpLength = length;
        const std::uint8_t* icmp = datagramSocket_ ? buffer : IcmpInIpv4(buffer, length, icmpLength);
        if (IsEchoReply(icmp, icmpLength, source.sin_addr.s_addr, expected_)) return 1;
    }
}

ProbeOutcome ProbeHost(const std::string& address, const DebugOutput& debug) {
    CEchoProbe probe(debug);
    if (probe.Probe(address.c_str())) return ProbeOutcome::Answered;
    return probe.PermissionDenied() ? ProbeOutcome::NoPermission : ProbeOutcome::NoReply;
}

std::string_view ProbeRefusedText() {
    return "No permission to send ICMP (needs CAP_NET_RAW).";
}

}  // namespace lq3860
