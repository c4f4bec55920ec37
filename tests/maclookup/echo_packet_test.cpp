#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <cstdint>
#include <vector>

#include "maclookup/echo_packet.h"
#include "maclookup/echo_probe.h"

namespace {

// Sum of the bytes as big-endian 16-bit words, folded: 0xFFFF for a packet
// with a correct internet checksum.
std::uint16_t WireOnesComplementSum(const std::uint8_t* bytes, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < length; i += 2)
        sum += (bytes[i] << 8) + (i + 1 < length ? bytes[i + 1] : 0);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(sum);
}

class EchoRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        CEchoProbe::nextIdentifier = 1;
        CEchoProbe::nextSequence = 1;
    }
};

TEST_F(EchoRequestTest, FirstProbeWithTickZeroHasTheExactBytes) {
    CEchoProbe probe([] { return 0u; });
    const EchoRequestPacket& packet = probe.NextEchoRequest();
    std::vector<std::uint8_t> expected = {0x08, 0x00, 0xF3, 0x0C, 0x01, 0x00, 0x01,
                                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (std::uint8_t c = 0x20; c <= 0x3F; ++c) expected.push_back(c);
    ASSERT_EQ(expected.size(), 45u);
    EXPECT_EQ(std::vector<std::uint8_t>(packet.begin(), packet.end()), expected);
}

TEST_F(EchoRequestTest, CountersMoveTogetherAndWrapAt16Bits) {
    CEchoProbe probe([] { return 0u; });
    probe.NextEchoRequest();
    const EchoRequestPacket second = probe.NextEchoRequest();
    EXPECT_EQ(second[4], 0x02);
    EXPECT_EQ(second[5], 0x00);
    EXPECT_EQ(second[6], 0x02);
    EXPECT_EQ(second[7], 0x00);
    EXPECT_EQ(CEchoProbe::nextIdentifier, 3u);
    EXPECT_EQ(CEchoProbe::nextSequence, 3u);

    CEchoProbe::nextIdentifier = 0xFFFF;
    CEchoProbe::nextSequence = 0x1FFFF;
    const EchoRequestPacket last = probe.NextEchoRequest();
    EXPECT_EQ(last[4], 0xFF);
    EXPECT_EQ(last[5], 0xFF);
    EXPECT_EQ(last[6], 0xFF);
    EXPECT_EQ(last[7], 0xFF);
    const EchoRequestPacket wrapped = probe.NextEchoRequest();
    EXPECT_EQ(wrapped[4], 0x00);
    EXPECT_EQ(wrapped[5], 0x00);
}

TEST_F(EchoRequestTest, TickCountGoesLeastSignificantByteFirstAfterTheSpareByte) {
    CEchoProbe probe([] { return 0x12345678u; });
    const EchoRequestPacket& packet = probe.NextEchoRequest();
    EXPECT_EQ(packet[8], 0x00);
    EXPECT_EQ(packet[9], 0x78);
    EXPECT_EQ(packet[10], 0x56);
    EXPECT_EQ(packet[11], 0x34);
    EXPECT_EQ(packet[12], 0x12);
    EXPECT_EQ(packet[13], 0x20);
    EXPECT_EQ(packet[44], 0x3F);
}

TEST(EchoChecksumTest, ValidOnTheWireForAnyContent) {
    for (std::uint32_t tick : {0u, 1u, 0xFFFFFFFFu, 0x80008000u, 123456789u}) {
        for (std::uint16_t id : {0, 1, 0xFFFF, 0x1234}) {
            const EchoRequestPacket packet = BuildEchoRequest(id, static_cast<std::uint16_t>(~id), tick);
            EXPECT_EQ(WireOnesComplementSum(packet.data(), packet.size()), 0xFFFF)
                << "tick " << tick << " id " << id;
            EXPECT_EQ(InternetChecksum(packet.data(), packet.size()), 0);
        }
    }
}

TEST(EchoChecksumTest, KnownValuesAndOddLengths) {
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(InternetChecksum(abc, 3), 0x9D3B);

    const std::uint8_t one[] = {0x01};
    EXPECT_EQ(InternetChecksum(one, 1), 0xFFFE);
    EXPECT_EQ(InternetChecksum(nullptr, 0), 0xFFFF);

    // An odd length counts as if a zero byte followed.
    const std::uint8_t odd[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
    const std::uint8_t padded[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0x00};
    EXPECT_EQ(InternetChecksum(odd, 5), InternetChecksum(padded, 6));
    EXPECT_NE(InternetChecksum(odd, 5), InternetChecksum(odd, 4));
}

class EchoReplyMatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        inet_pton(AF_INET, "192.168.255.1", &target);
        expected.target = target;
        expected.identifier[0] = 0x05;
        expected.identifier[1] = 0x00;
        expected.sequence[0] = 0x07;
        expected.sequence[1] = 0x00;
    }
    std::vector<std::uint8_t> Reply(std::uint8_t type = 0, std::uint8_t id0 = 0x05,
                                    std::uint8_t seq0 = 0x07) const {
        std::vector<std::uint8_t> icmp = {type, 0, 0, 0, id0, 0x00, seq0, 0x00, 0x00, 0x20};
        return icmp;
    }
    std::uint32_t target = 0;
    EchoExpectation expected;
};

TEST_F(EchoReplyMatchTest, AcceptsOnlyTheTargetsReplyToOurEcho) {
    const auto good = Reply();
    EXPECT_TRUE(IsEchoReply(good.data(), good.size(), target, expected));

    std::uint32_t otherHost = 0;
    inet_pton(AF_INET, "192.168.255.2", &otherHost);
    EXPECT_FALSE(IsEchoReply(good.data(), good.size(), otherHost, expected)) << "wrong source";

    const auto wrongId = Reply(0, 0x06);
    EXPECT_FALSE(IsEchoReply(wrongId.data(), wrongId.size(), target, expected)) << "wrong id";
    const auto wrongSequence = Reply(0, 0x05, 0x08);
    EXPECT_FALSE(IsEchoReply(wrongSequence.data(), wrongSequence.size(), target, expected))
        << "wrong sequence";
    const auto request = Reply(8);
    EXPECT_FALSE(IsEchoReply(request.data(), request.size(), target, expected)) << "echo request";
    const auto unreachable = Reply(3);
    EXPECT_FALSE(IsEchoReply(unreachable.data(), unreachable.size(), target, expected))
        << "destination unreachable";
    EXPECT_FALSE(IsEchoReply(good.data(), 7, target, expected)) << "truncated header";
    EXPECT_FALSE(IsEchoReply(nullptr, 0, target, expected));
}

TEST_F(EchoReplyMatchTest, SkipsTheIpHeaderOfRawDatagrams) {
    std::vector<std::uint8_t> datagram(24, 0);
    datagram[0] = 0x46;  // IPv4, 24-byte header with options
    const auto icmp = Reply();
    datagram.insert(datagram.end(), icmp.begin(), icmp.end());
    std::size_t length = 0;
    const std::uint8_t* found = IcmpInIpv4(datagram.data(), datagram.size(), length);
    ASSERT_EQ(found, datagram.data() + 24);
    EXPECT_EQ(length, icmp.size());
    EXPECT_TRUE(IsEchoReply(found, length, target, expected));

    datagram[0] = 0x4F;  // header longer than the datagram
    EXPECT_EQ(IcmpInIpv4(datagram.data(), 30, length), nullptr);
    datagram[0] = 0x44;  // header shorter than the minimum
    EXPECT_EQ(IcmpInIpv4(datagram.data(), datagram.size(), length), nullptr);
    datagram[0] = 0x65;  // not IPv4
    EXPECT_EQ(IcmpInIpv4(datagram.data(), datagram.size(), length), nullptr);
    EXPECT_EQ(IcmpInIpv4(datagram.data(), 19, length), nullptr);
}

}  // namespace
