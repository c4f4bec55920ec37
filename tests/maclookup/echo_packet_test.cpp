// The echo request's bytes and the test that tells its reply from other datagrams.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <cstdint>
#include <vector>

#include "maclookup/echo_packet.h"
#include "maclookup/echo_probe.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Checksums worked out by hand on the bytes as sent (big-endian 16-bit words).
TEST(EchoRequestTest, HeaderCountersTickAndPayloadHaveTheExactBytes) {
    const struct { std::uint32_t id, sequence, tick; Bytes header; } cases[] = {
        {1, 1, 0, {0x08, 0, 0xF3, 0x0C, 0x01, 0, 0x01, 0, 0, 0, 0, 0, 0}},
        {0xFFFF, 0x1FFFF, 0x12345678, {0x08, 0, 0x8C, 0x60, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x78, 0x56, 0x34, 0x12}},
        {0x10000, 0x20000, 0, {0x08, 0, 0xF5, 0x0C, 0, 0, 0, 0, 0, 0, 0, 0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CEchoProbe::nextIdentifier = c.id;
        CEchoProbe::nextSequence = c.sequence;
        CEchoProbe probe([&c] { return c.tick; });
        const EchoRequestPacket& packet = probe.NextEchoRequest();
        Bytes expected = c.header;
        for (std::uint8_t byte = 0x20; byte <= 0x3F; ++byte) expected.push_back(byte);
        EXPECT_EQ(Bytes(packet.begin(), packet.end()), expected);
        EXPECT_EQ(CEchoProbe::nextIdentifier, c.id + 1);
        EXPECT_EQ(CEchoProbe::nextSequence, c.sequence + 1);
    }
}

TEST(EchoChecksumTest, KnownValuesOddLengthsAndAnyPacketSumsToZero) {
    const Bytes odd = {0x12, 0x34, 0x56, 0x78, 0x9A};
    EXPECT_EQ(InternetChecksum(reinterpret_cast<const std::uint8_t*>("abc"), 3), 0x9D3B);
    EXPECT_EQ(InternetChecksum(odd.data(), 1), 0xFFED);
    EXPECT_EQ(InternetChecksum(nullptr, 0), 0xFFFF);
    EXPECT_EQ(InternetChecksum(odd.data(), 5), 0x52FD) << "a zero byte counts after an odd length";
    for (std::uint32_t tick : {0u, 1u, 0xFFFFFFFFu, 0x80008000u, 123456789u})
        for (std::uint16_t id : {0, 1, 0xFFFF, 0x1234}) {
            const EchoRequestPacket packet = BuildEchoRequest(id, static_cast<std::uint16_t>(~id), tick);
            EXPECT_EQ(InternetChecksum(packet.data(), packet.size()), 0) << tick << " " << id;
        }
}

TEST(EchoReplyTest, OnlyTheTargetsReplyToOurEchoCounts) {
    EchoExpectation expected{0, {0x05, 0x00}, {0x07, 0x00}};
    inet_pton(AF_INET, "192.168.255.1", &expected.target);
    const Bytes good = {0, 0, 0, 0, 0x05, 0x00, 0x07, 0x00, 0x00, 0x20};
    const struct { const char* what; std::size_t at; std::uint8_t value; std::uint32_t source; std::size_t length; bool accepted; } cases[] = {
        {"our reply", 0, 0, expected.target, good.size(), true},
        {"other source", 0, 0, expected.target ^ 0x01000000u, good.size(), false},
        {"echo request", 0, 8, expected.target, good.size(), false},
        {"unreachable", 0, 3, expected.target, good.size(), false},
        {"other code", 1, 1, expected.target, good.size(), false},
        {"other id", 4, 0x06, expected.target, good.size(), false},
        {"other id high byte", 5, 0x01, expected.target, good.size(), false},
        {"other sequence", 6, 0x08, expected.target, good.size(), false},
        {"truncated header", 0, 0, expected.target, 7, false}};
    for (const auto& c : cases) {
        Bytes reply = good;
        reply[c.at] = c.value;
        EXPECT_EQ(IsEchoReply(reply.data(), c.length, c.source, expected), c.accepted) << c.what;
    }
    EXPECT_FALSE(IsEchoReply(nullptr, 0, expected.target, expected));
}

TEST(EchoReplyTest, RawDatagramsGiveTheIcmpAfterAValidIpv4Header) {
    const struct { std::uint8_t versionAndLength; std::size_t length, icmpAt; } cases[] = {
        {0x46, 34, 24}, {0x45, 20, 20}, {0x4F, 30, 0}, {0x44, 34, 0}, {0x65, 34, 0}, {0x45, 19, 0}};
    for (const auto& c : cases) {
        Bytes datagram(34, 0xEE);
        datagram[0] = c.versionAndLength;
        std::size_t icmpLength = 99;
        const std::uint8_t* icmp = IcmpInIpv4(datagram.data(), c.length, icmpLength);
        EXPECT_EQ(icmp, c.icmpAt ? datagram.data() + c.icmpAt : nullptr) << int(c.versionAndLength) << " " << c.length;
        EXPECT_EQ(icmpLength, c.icmpAt ? c.length - c.icmpAt : 0);
    }
}

}  // namespace
