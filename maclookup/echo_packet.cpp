// SPDX-License-Identifier: MIT
#include "maclookup/echo_packet.h"

#include <cstring>

namespace lq3860 {

namespace {
constexpr std::uint8_t ICMP_ECHO_REQUEST = 8;
constexpr std::uint8_t ICMP_ECHO_REPLY_TYPE = 0;
constexpr std::size_t ICMP_HEADER_SIZE = 8;
constexpr std::size_t IPV4_MIN_HEADER = 20;
}  // namespace

std::uint16_t InternetChecksum(const std::uint8_t* bytes, std::size_t length) {
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < length; i += 2) sum += bytes[i] + 256u * bytes[i + 1];
    if (i < length) sum += bytes[i];
    sum = (sum >> 16) + (sum & 0xFFFF);
    sum += sum >> 16;
    return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

EchoRequestPacket BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, std::uint32_t tickCount) {
    EchoRequestPacket packet{};
    packet[0] = ICMP_ECHO_REQUEST;
    packet[4] = static_cast<std::uint8_t>(identifier);
    packet[5] = static_cast<std::uint8_t>(identifier >> 8);
    packet[6] = static_cast<std::uint8_t>(sequence);
    packet[7] = static_cast<std::uint8_t>(sequence >> 8);
    for (int i = 0; i < 4; ++i) packet[9 + i] = static_cast<std::uint8_t>(tickCount >> (8 * i));
    for (std::size_t i = 0; i < 32; ++i) packet[13 + i] = static_cast<std::uint8_t>(0x20 + i);
    const std::uint16_t checksum = InternetChecksum(packet.data(), packet.size());
    packet[2] = static_cast<std::uint8_t>(checksum);
    packet[3] = static_cast<std::uint8_t>(checksum >> 8);
    return packet;
}

bool IsEchoReply(const std::uint8_t* icmp, std::size_t length, std::uint32_t source, const EchoExpectation& expected) {
    if (icmp == nullptr || length < ICMP_HEADER_SIZE) return false;
    return source == expected.target && icmp[0] == ICMP_ECHO_REPLY_TYPE && icmp[1] == 0 &&
           std::memcmp(icmp + 4, expected.identifier, 2) == 0 && std::memcmp(icmp + 6, expected.sequence, 2) == 0;
}

const std::uint8_t* IcmpInIpv4(const std::uint8_t* datagram, std::size_t length, std::size_t& icmpLength) {
    icmpLength = 0;
    if (datagram == nullptr || length < IPV4_MIN_HEADER || (datagram[0] >> 4) != 4) return nullptr;
    const std::size_t headerLength = (datagram[0] & 0x0F) * 4u;
    if (headerLength < IPV4_MIN_HEADER || headerLength > length) return nullptr;
    icmpLength = length - headerLength;
    return datagram + headerLength;
}

}  // namespace lq3860
