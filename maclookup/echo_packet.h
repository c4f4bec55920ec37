// SPDX-License-Identifier: MIT
#pragma once
// The ICMP echo request the probe sends and the test that tells its reply
// apart from any other datagram.
#include <array>
#include <cstddef>
#include <cstdint>

namespace lq3860 {

constexpr std::size_t ECHO_REQUEST_SIZE = 45;

// type 8, code 0, checksum, identifier and sequence (least significant byte
// first), a spare 0 at offset 8, the 32-bit tick count at offset 9 (least
// significant byte first) and 32 payload bytes 0x20..0x3F.
using EchoRequestPacket = std::array<std::uint8_t, ECHO_REQUEST_SIZE>;

// RFC 1071 checksum; stored least significant byte first it is the standard
// internet checksum of the bytes on the wire.
std::uint16_t InternetChecksum(const std::uint8_t* bytes, std::size_t length);

EchoRequestPacket BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, std::uint32_t tickCount);

// What a reply must carry to count: the echo's identifier and sequence as
// the bytes on the wire, and the address it was sent to (network order).
struct EchoExpectation {
    std::uint32_t target = 0;
    std::uint8_t identifier[2] = {};
    std::uint8_t sequence[2] = {};
};

// True when the ICMP message (starting at its type byte) received from
// source (network order) is an echo reply to the expected echo.
bool IsEchoReply(const std::uint8_t* icmp, std::size_t length, std::uint32_t source, const EchoExpectation& expected);

// The ICMP message inside an IPv4 datagram as a raw socket delivers it;
// nullptr when the datagram is too short or malformed.
const std::uint8_t* IcmpInIpv4(const std::uint8_t* datagram, std::size_t length, std::size_t& icmpLength);

}  // namespace lq3860
