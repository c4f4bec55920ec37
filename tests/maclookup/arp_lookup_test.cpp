// SPDX-License-Identifier: MIT
// The neighbour-table reader and the Get MAC cycle over a hand-made table
// whose rows carry the kernel's neighbour states.
#include <gtest/gtest.h>
#include <linux/neighbour.h>

#include <cstring>

#include "maclookup/mac_handoff.h"
#include "maclookup/mac_lookup.h"
#include "maclookup/neighbour_source_linux.h"
#include "types/debug_output.h"

namespace lq3860 {

namespace {

using Bytes = std::vector<std::uint8_t>;
using MacTexts = std::array<std::string, 6>;

NeighbourRow Row(int interfaceIndex, const Bytes& ipv4, const Bytes& mac, std::uint16_t state) {
    NeighbourRow row{interfaceIndex, {}, {}, mac.size(), ArpTypeFromState(state)};
    std::copy(ipv4.begin(), ipv4.end(), row.ipv4);
    std::copy(mac.begin(), mac.end(), row.mac);
    return row;
}

class FakeTable final : public NeighbourTableSource {
public:
    std::vector<NeighbourRow> rows;
    bool opens = true, lists = true;
    int openCalls = 0, listCalls = 0;
    bool Open() override { return ++openCalls, opens; }
    bool ListRows(std::vector<NeighbourRow>& out) override { return ++listCalls, out = rows, lists; }
};

class NeighbourTest : public ::testing::Test {
protected:
    void SetUp() override { MacHandOff = {before, 1}; }

    ReaderMessage Messages() {
        return [this](const std::string& text) { messages.push_back(text); };
    }
    int Read(int maxRows, int interfaceIndex) {
        std::memset(entries, 0xAA, sizeof entries);
        CArpTableReader reader(table, Messages());
        return reader.ReadEntries(entries, maxRows, interfaceIndex);
    }

    const MacTexts before{"AA", "BB", "CC", "DD", "EE", "FF"};
    MacHandOffRecord MacHandOff;
    DebugOutput debugOutput{[this](std::string_view text) { debug.emplace_back(text); }};
    MacLookup lookup{MacHandOff, debugOutput};
    FakeTable table;
    std::vector<std::string> debug, messages;
    ArpEntry entries[ARP_MAX_ENTRIES + 1];
};

// Number by number: 10.0.0.3 comes before 10.0.0.20 and 10.0.1.0, unlike text or little-endian order.
TEST_F(NeighbourTest, ReaderTakesTheLowestAddressesOfItsInterfaceUpToTheLimitAndZeroesTheRest) {
    for (int i = 299; i >= 0; --i)
        table.rows.push_back(Row(4, {10, 0, std::uint8_t(i / 256), std::uint8_t(i)}, {1}, NUD_STALE));
    table.rows.insert(table.rows.end(), {Row(3, {10, 0, 0, 0}, {1}, NUD_STALE), Row(5, {10, 0, 0, 0}, {1}, NUD_STALE)});
    const struct {
        int interfaceIndex, maxRows, expected;
    } cases[] = {{4, ARP_MAX_ENTRIES, ARP_MAX_ENTRIES}, {4, 3, 3}, {5, 5, 1}, {4, 0, 0}, {4, -1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "interface " << c.interfaceIndex << ", limit " << c.maxRows);
        ASSERT_EQ(Read(c.maxRows, c.interfaceIndex), c.expected);
        for (int i = 0; i < c.expected; ++i)
            ASSERT_EQ(Bytes(entries[i].ipAddress, entries[i].ipAddress + 4), (Bytes{10, 0, 0, std::uint8_t(i)}));
        for (int i = c.expected; i < c.maxRows; ++i) EXPECT_EQ(entries[i].type + entries[i].ipAddress[0], 0u) << i;
        EXPECT_EQ(entries[std::max(c.maxRows, 0)].type, 0xAAAAAAAAu) << "wrote past the limit";
    }
}

TEST_F(NeighbourTest, ReaderZeroFillsShortMacsCutsLongOnesAndMapsStates) {
    const struct {
        std::uint16_t state;
        Bytes mac;
        std::uint32_t type;
    } cases[] = {{NUD_PERMANENT, {1, 2, 3, 4, 5, 6, 7, 8}, 4},
                 {NUD_REACHABLE, {0x11, 0x22}, 3},
                 {NUD_STALE, {}, 3},
                 {NUD_DELAY, {}, 3},
                 {NUD_PROBE, {}, 3},
                 {NUD_INCOMPLETE, {}, 2},
                 {NUD_FAILED, {}, 2},
                 {NUD_NOARP, {}, 1},
                 {NUD_NONE, {}, 1}};
    std::uint8_t last = 0;
    for (const auto& c : cases) table.rows.push_back(Row(5, {10, 0, 0, ++last}, c.mac, c.state));
    ASSERT_EQ(Read(ARP_MAX_ENTRIES, 5), int(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Bytes stored = cases[i].mac;
        stored.resize(6);
        EXPECT_EQ(entries[i].type, cases[i].type) << "state " << cases[i].state;
        EXPECT_EQ(Bytes(entries[i].macAddress, entries[i].macAddress + 6), stored) << i;
    }
}

TEST_F(NeighbourTest, LookupTakesTheLastUsableExactMatchOnTheChosenAdapter) {
    table.rows = {Row(7, {10, 0, 0, 10}, Bytes(6, 0x10), NUD_REACHABLE),
                  Row(8, {10, 0, 0, 1}, Bytes(6, 0x88), NUD_REACHABLE),
                  Row(7, {10, 0, 0, 5}, Bytes(6, 0x11), NUD_REACHABLE),
                  Row(7, {10, 0, 0, 5}, Bytes(6, 0x22), NUD_PERMANENT),
                  Row(7, {10, 0, 0, 5}, {}, NUD_FAILED),
                  Row(7, {10, 0, 0, 2}, {}, NUD_INCOMPLETE)};
    const struct {
        const char* ip;
        std::optional<int> adapter;
        bool opens, lists;
        const char* found;
        int listCalls;
    } cases[] = {{"10.0.0.5", 7, true, true, "22", 1},
                 {"10.0.0.1", 8, true, true, "88", 1},
                 {"10.0.0.10", 7, true, true, "10", 1},
                 {"10.0.0.1", 7, true, true, nullptr, 1},
                 {"010.0.0.10", 7, true, true, nullptr, 1},
                 {"10.0.0.2", 7, true, true, nullptr, 1},
                 {"10.0.0.1", std::nullopt, true, true, nullptr, 0},
                 {"10.0.0.5", 7, true, false, nullptr, 1},
                 {"10.0.0.5", 7, false, true, nullptr, 0}};  // only an unreachable table is worth a message
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ip << " on " << c.adapter.value_or(-1) << " opens " << c.opens << " lists "
                                        << c.lists);
        MacHandOff = {before, 1};
        table.listCalls = 0;
        table.opens = c.opens;
        table.lists = c.lists;
        messages.clear();
        CArpTableReader reader(table, Messages());
        EXPECT_EQ(lookup.LookUpMac(reader, c.adapter, c.ip), c.found != nullptr);
        EXPECT_EQ(MacHandOff.ready, c.found != nullptr ? 1 : 0);
        EXPECT_EQ(MacHandOff.macText,
                  (c.found ? MacTexts{c.found, c.found, c.found, c.found, c.found, c.found} : before));
        EXPECT_EQ(table.listCalls, c.listCalls);
        EXPECT_EQ(messages, std::vector<std::string>(c.opens ? 0 : 1, "Load library fail"));
    }
}

// Each lookup writes the address and the MAC of every row; a failed probe leaves the hand-off alone.
TEST_F(NeighbourTest, CycleReadsTheTableAfreshOnlyWhenTheProbeWasAnswered) {
    table.rows = {Row(7, {192, 168, 255, 9}, {1, 2, 3, 4, 5, 6}, NUD_STALE),
                  Row(7, {192, 168, 255, 1}, {0x00, 0x0C, 0x29, 0x3A, 0x4B, 0x5C}, NUD_REACHABLE)};
    const std::vector<std::string> lines = {"192.168.255.1", "00-0C-29-3A-4B-5C", "192.168.255.9", "01-02-03-04-05-06"};
    const struct {
        ProbeOutcome probe;
        const char* ip;
        GetMacOutcome outcome;
        int opens, ready;
    } cases[] = {{ProbeOutcome::NoReply, "192.168.255.1", GetMacOutcome::ProbeFailed, 0, 1},
                 {ProbeOutcome::NoPermission, "192.168.255.1", GetMacOutcome::NoPermission, 0, 1},
                 {ProbeOutcome::Answered, "192.168.255.2", GetMacOutcome::NotFound, 1, 0},
                 {ProbeOutcome::Answered, "192.168.255.1", GetMacOutcome::Found, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ip);
        std::string probed;
        debug.clear();
        const auto probe = [&](const std::string& address) { return probed = address, c.probe; };
        EXPECT_EQ(lookup.GetMacAddress(c.ip, 7, probe, table, Messages()), c.outcome);
        EXPECT_EQ(probed, c.ip);
        EXPECT_EQ(table.openCalls, c.opens);
        EXPECT_EQ(MacHandOff.ready, c.ready);
        EXPECT_EQ(debug, c.opens ? lines : std::vector<std::string>{});
    }
    EXPECT_EQ(MacHandOff.macText, (MacTexts{"00", "0C", "29", "3A", "4B", "5C"}));
}

}  // namespace

}  // namespace lq3860
