// SPDX-License-Identifier: MIT
// The echo request's bytes and the test that tells its reply from other datagrams.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <tuple>
#include <vector>

#include "maclookup/echo_packet.h"
#include "maclookup/echo_probe_linux.h"

namespace lq3860 {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Checksums worked out by hand on the bytes as sent (big-endian 16-bit words,
// the carries folded back in); the 45-byte request also needs the zero byte
// after an odd length.
TEST(EchoRequestTest, HeaderCountersTickAndPayloadHaveTheExactBytes) {
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, Bytes> cases[] = {
        {1, 1, 0, {0x08, 0, 0xF3, 0x0C, 0x01, 0, 0x01, 0, 0, 0, 0, 0, 0}},
        {0x1FFFF, 0x1FFFF, 0x12345678, {0x08, 0, 0x8C, 0x60, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x78, 0x56, 0x34, 0x12}},
        {0xFFFF, 0x0CF6, 0, {0x08, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0xF6, 0x0C, 0, 0, 0, 0, 0}}};  // carries folded twice
    for (const auto& [id, sequence, tick, header] : cases) {
        std::tie(CEchoProbe::nextIdentifier, CEchoProbe::nextSequence) = std::tie(id, sequence);
        const EchoRequestPacket packet = CEchoProbe(DebugOutput(), [&tick] { return tick; }).NextEchoRequest();
        Bytes expected = header;
        for (std::uint8_t byte = 0x20; byte <= 0x3F; ++byte) expected.push_back(byte);
        EXPECT_EQ(Bytes(packet.begin(), packet.end()), expected);
        EXPECT_EQ(CEchoProbe::nextIdentifier, id + 1);
        EXPECT_EQ(CEchoProbe::nextSequence, sequence + 1);
    }
}

TEST(EchoReplyTest, OnlyTheTargetsReplyToOurEchoCounts) {
    const EchoExpectation expected{htonl(0xC0A8FF01), {0x05, 0x00}, {0x07, 0x00}};  // from 192.168.255.1
    const Bytes good = {0, 0, 0, 0, 0x05, 0x00, 0x07, 0x00, 0x00, 0x20};
    EXPECT_FALSE(IsEchoReply(good.data(), good.size(), expected.target ^ 0x01000000u, expected)) << "other source";
    EXPECT_FALSE(IsEchoReply(good.data(), 7, expected.target, expected)) << "truncated header";
    // The reply itself; an echo request, another code, another id or sequence (low or high byte).
    for (const auto& [at, value] :
         {std::pair<std::size_t, std::uint8_t>{0, 0}, {0, 8}, {1, 1}, {4, 6}, {5, 1}, {6, 8}, {7, 1}}) {
        Bytes reply = good;
        reply[at] = value;
        EXPECT_EQ(IsEchoReply(reply.data(), reply.size(), expected.target, expected), value == 0) << at;
    }
}

TEST(EchoReplyTest, RawDatagramsGiveTheIcmpAfterAValidIpv4Header) {
    const std::tuple<std::uint8_t, std::size_t, std::size_t> cases[] = {{0x46, 34, 24}, {0x45, 20, 20}, {0x4F, 30, 0},
                                                                        {0x44, 34, 0},  {0x65, 34, 0},  {0x45, 19, 0}};
    for (const auto& [versionAndLength, length, icmpAt] : cases) {
        Bytes datagram(34, 0xEE);
        datagram[0] = versionAndLength;
        std::size_t icmpLength = 99;
        const std::uint8_t* icmp = IcmpInIpv4(datagram.data(), length, icmpLength);
        EXPECT_EQ(icmp, icmpAt ? datagram.data() + icmpAt : nullptr) << int(versionAndLength) << " " << length;
        EXPECT_EQ(icmpLength, icmpAt ? length - icmpAt : 0);
    }
}

}  // namespace

}  // namespace lq3860
