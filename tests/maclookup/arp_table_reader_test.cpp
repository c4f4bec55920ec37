#include <gtest/gtest.h>

#include <linux/neighbour.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_neighbour_table.h"
#include "maclookup/arp_table_reader.h"

namespace {

class ArpTableReaderTest : public ::testing::Test {
protected:
    ArpTableReaderTest() { std::memset(rows, 0xAA, sizeof rows); }

    int Read(int maxRows, int interfaceIndex) {
        CArpTableReader reader(table, [this](const std::string& text) { messages.push_back(text); });
        return reader.ReadEntries(rows, maxRows, interfaceIndex);
    }
    std::string Address(int i) const {
        const ArpEntry& row = rows[i];
        return std::to_string(row.ipAddress[0]) + "." + std::to_string(row.ipAddress[1]) + "." +
               std::to_string(row.ipAddress[2]) + "." + std::to_string(row.ipAddress[3]);
    }

    FakeNeighbourTable table;
    std::vector<std::string> messages;
    ArpEntry rows[ARP_MAX_ENTRIES + 1];
};

TEST_F(ArpTableReaderTest, ReturnsTheDescribedEntryOfInterfaceSeven) {
    table.rows = {MakeRow(7, {192, 168, 255, 1}, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, NUD_REACHABLE)};
    ASSERT_EQ(Read(ARP_MAX_ENTRIES, 7), 1);
    EXPECT_EQ(rows[0].type, 3u);
    const std::uint8_t ip[] = {192, 168, 255, 1};
    const std::uint8_t mac[] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    EXPECT_EQ(std::memcmp(rows[0].ipAddress, ip, 4), 0);
    EXPECT_EQ(std::memcmp(rows[0].macAddress, mac, 6), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ArpTableReaderTest, KeepsOnlyTheInterfaceOrderedByAddressNumbers) {
    table.rows = {
        MakeRow(7, {10, 0, 0, 20}, {1}, NUD_STALE),
        MakeRow(3, {10, 0, 0, 1}, {2}, NUD_STALE),
        MakeRow(7, {192, 168, 1, 2}, {3}, NUD_STALE),
        MakeRow(9, {1, 1, 1, 1}, {4}, NUD_STALE),
        MakeRow(7, {10, 0, 0, 3}, {5}, NUD_STALE),
        MakeRow(7, {9, 255, 255, 255}, {6}, NUD_STALE),
        MakeRow(70, {10, 0, 0, 4}, {7}, NUD_STALE),
    };
    ASSERT_EQ(Read(ARP_MAX_ENTRIES, 7), 4);
    // Number by number: 10.0.0.3 before 10.0.0.20, unlike text order.
    EXPECT_EQ(Address(0), "9.255.255.255");
    EXPECT_EQ(Address(1), "10.0.0.3");
    EXPECT_EQ(Address(2), "10.0.0.20");
    EXPECT_EQ(Address(3), "192.168.1.2");
    EXPECT_EQ(rows[1].macAddress[0], 5);

    EXPECT_EQ(Read(ARP_MAX_ENTRIES, 3), 1);
    EXPECT_EQ(Address(0), "10.0.0.1");
    EXPECT_EQ(Read(ARP_MAX_ENTRIES, 4), 0) << "an interface without rows";
}

TEST_F(ArpTableReaderTest, ClearsUpToMaxRowsAndWritesNoFurther) {
    table.rows = {MakeRow(2, {10, 0, 0, 1}, {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01}, NUD_PERMANENT)};
    ASSERT_EQ(Read(5, 2), 1);
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(rows[i].type, 0u) << i;
        EXPECT_EQ(rows[i].ipAddress[0], 0) << i;
        EXPECT_EQ(rows[i].macAddress[5], 0) << i;
    }
    EXPECT_EQ(rows[5].type, 0xAAAAAAAAu) << "slot past maxRows touched";
}

TEST_F(ArpTableReaderTest, StopsAtMaxRowsWithTheLowestAddresses) {
    for (int i = 299; i >= 0; --i)
        table.rows.push_back(MakeRow(4, {10, 0, static_cast<std::uint8_t>(i / 256),
                                         static_cast<std::uint8_t>(i % 256)},
                                     {1, 2, 3, 4, 5, 6}, NUD_REACHABLE));
    ASSERT_EQ(Read(ARP_MAX_ENTRIES, 4), ARP_MAX_ENTRIES);
    EXPECT_EQ(Address(0), "10.0.0.0");
    EXPECT_EQ(Address(255), "10.0.0.255");
    EXPECT_EQ(rows[ARP_MAX_ENTRIES].type, 0xAAAAAAAAu);

    std::memset(rows, 0xAA, sizeof rows);
    ASSERT_EQ(Read(3, 4), 3);
    EXPECT_EQ(rows[3].type, 0xAAAAAAAAu);
}

TEST_F(ArpTableReaderTest, NoRowsForAZeroOrNegativeLimit) {
    table.rows = {MakeRow(1, {10, 0, 0, 1}, {1, 2, 3, 4, 5, 6}, NUD_REACHABLE)};
    EXPECT_EQ(Read(0, 1), 0);
    EXPECT_EQ(Read(-1, 1), 0);
    EXPECT_EQ(rows[0].type, 0xAAAAAAAAu);
}

TEST_F(ArpTableReaderTest, ShortAddressesAreZeroFilledLongOnesCut) {
    table.rows = {
        MakeRow(1, {10, 0, 0, 1}, {}, NUD_NOARP),
        MakeRow(1, {10, 0, 0, 2}, {0x11, 0x22, 0x33}, NUD_REACHABLE),
        MakeRow(1, {10, 0, 0, 3}, {1, 2, 3, 4, 5, 6, 7, 8}, NUD_REACHABLE),
    };
    ASSERT_EQ(Read(ARP_MAX_ENTRIES, 1), 3);
    const std::uint8_t none[6] = {};
    const std::uint8_t shortMac[6] = {0x11, 0x22, 0x33, 0, 0, 0};
    const std::uint8_t longMac[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(std::memcmp(rows[0].macAddress, none, 6), 0);
    EXPECT_EQ(std::memcmp(rows[1].macAddress, shortMac, 6), 0);
    EXPECT_EQ(std::memcmp(rows[2].macAddress, longMac, 6), 0);
}

TEST_F(ArpTableReaderTest, KernelStatesMapToEntryTypes) {
    const struct {
        std::uint16_t state;
        std::uint32_t type;
    } cases[] = {
        {NUD_PERMANENT, 4}, {NUD_REACHABLE, 3}, {NUD_STALE, 3}, {NUD_DELAY, 3}, {NUD_PROBE, 3},
        {NUD_INCOMPLETE, 2}, {NUD_FAILED, 2}, {NUD_NOARP, 1}, {NUD_NONE, 1},
    };
    std::uint8_t last = 0;
    for (const auto& c : cases)
        table.rows.push_back(MakeRow(5, {10, 0, 0, ++last}, {1, 2, 3, 4, 5, 6}, c.state));
    ASSERT_EQ(Read(ARP_MAX_ENTRIES, 5), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(rows[i].type, cases[i].type) << "state " << cases[i].state;
}

TEST(ArpTypeFromStateTest, EveryStateGivesAnAcceptedType) {
    // Types outside 1..4 would have to be dropped; no kernel state yields one.
    for (std::uint32_t state = 0; state <= 0xFFFF; ++state) {
        const std::uint32_t type = ArpTypeFromState(static_cast<std::uint16_t>(state));
        ASSERT_GE(type, 1u) << state;
        ASSERT_LE(type, 4u) << state;
    }
}

TEST_F(ArpTableReaderTest, UnreachableTableSaysLoadLibraryFailAndGivesNoRows) {
    table.opens = false;
    table.rows = {MakeRow(1, {10, 0, 0, 1}, {1, 2, 3, 4, 5, 6}, NUD_REACHABLE)};
    EXPECT_EQ(Read(ARP_MAX_ENTRIES, 1), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"Load library fail"});
    EXPECT_EQ(table.listCalls, 0);
    EXPECT_EQ(rows[0].type, 0xAAAAAAAAu);
}

TEST_F(ArpTableReaderTest, FailedListingGivesNoRowsWithoutMessage) {
    table.lists = false;
    table.rows = {MakeRow(1, {10, 0, 0, 1}, {1, 2, 3, 4, 5, 6}, NUD_REACHABLE)};
    EXPECT_EQ(Read(ARP_MAX_ENTRIES, 1), 0);
    EXPECT_TRUE(messages.empty());
}

}  // namespace
