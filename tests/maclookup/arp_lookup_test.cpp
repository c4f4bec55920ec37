// The neighbour-table reader and the Get MAC cycle over a hand-made table.
#include <gtest/gtest.h>
#include <linux/neighbour.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "device/debug_output.h"
#include "maclookup/mac_handoff.h"
#include "maclookup/mac_lookup.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using MacTexts = std::array<std::string, 6>;

NeighbourRow Row(int interfaceIndex, const Bytes& ipv4, const Bytes& mac, std::uint16_t state) {
    NeighbourRow row;
    row.interfaceIndex = interfaceIndex;
    std::copy(ipv4.begin(), ipv4.end(), row.ipv4);
    std::copy(mac.begin(), mac.end(), row.mac);
    row.macLength = mac.size();
    row.state = state;
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
    void SetUp() override {
        std::memset(entries, 0xAA, sizeof entries);
        MacHandOff.macText = before;
        MacHandOff.ready = 1;
        SetDebugSink([this](std::string_view text) { debug.emplace_back(text); });
    }
    void TearDown() override { SetDebugSink(nullptr); }

    ReaderMessage Messages() { return [this](const std::string& text) { messages.push_back(text); }; }
    int Read(int maxRows, int interfaceIndex) {
        CArpTableReader reader(table, Messages());
        return reader.ReadEntries(entries, maxRows, interfaceIndex);
    }
    std::string Address(int i) const {
        const std::uint8_t* ip = entries[i].ipAddress;
        return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
               std::to_string(ip[3]);
    }

    FakeTable table;
    std::vector<std::string> debug, messages;
    ArpEntry entries[ARP_MAX_ENTRIES + 1];
    const MacTexts before{"AA", "BB", "CC", "DD", "EE", "FF"};
};

// Number by number: 10.0.0.3 comes before 10.0.0.20 and 10.0.1.0, unlike text or little-endian order.
TEST_F(NeighbourTest, ReaderTakesTheLowestAddressesOfItsInterfaceUpToTheLimitAndZeroesTheRest) {
    const struct { int tableRows, maxRows, expected; } cases[] = {
        {300, ARP_MAX_ENTRIES, ARP_MAX_ENTRIES}, {300, 3, 3}, {1, 5, 1}, {300, 0, 0}, {300, -1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.tableRows) + " rows, limit " + std::to_string(c.maxRows));
        std::memset(entries, 0xAA, sizeof entries);
        table.rows.clear();
        for (int i = c.tableRows - 1; i >= 0; --i)
            table.rows.push_back(Row(4, {10, 0, std::uint8_t(i / 256), std::uint8_t(i % 256)}, {1}, NUD_STALE));
        table.rows.push_back(Row(3, {10, 0, 0, 0}, {1}, NUD_STALE));
        ASSERT_EQ(Read(c.maxRows, 4), c.expected);
        for (int i = 0; i < c.expected; ++i) ASSERT_EQ(Address(i), "10.0.0." + std::to_string(i));
        for (int i = c.expected; i < c.maxRows; ++i) EXPECT_EQ(entries[i].type + entries[i].ipAddress[0], 0u) << i;
        EXPECT_EQ(entries[std::max(c.maxRows, 0)].type, 0xAAAAAAAAu) << "wrote past the limit";
    }
}

TEST_F(NeighbourTest, ReaderZeroFillsShortMacsCutsLongOnesAndMapsStates) {
    const Bytes none(6, 0);
    const struct { std::uint16_t state; Bytes mac, stored; std::uint32_t type; } cases[] = {
        {NUD_PERMANENT, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6}, 4}, {NUD_REACHABLE, {0x11, 0x22}, {0x11, 0x22, 0, 0, 0, 0}, 3},
        {NUD_STALE, {}, none, 3}, {NUD_DELAY, {}, none, 3}, {NUD_PROBE, {}, none, 3}, {NUD_INCOMPLETE, {}, none, 2},
        {NUD_FAILED, {}, none, 2}, {NUD_NOARP, {}, none, 1}, {NUD_NONE, {}, none, 1}};
    std::uint8_t last = 0;
    for (const auto& c : cases) table.rows.push_back(Row(5, {10, 0, 0, ++last}, c.mac, c.state));
    ASSERT_EQ(Read(ARP_MAX_ENTRIES, 5), int(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(entries[i].type, cases[i].type) << "state " << cases[i].state;
        EXPECT_EQ(Bytes(entries[i].macAddress, entries[i].macAddress + 6), cases[i].stored) << i;
    }
    for (std::uint32_t state = 0; state <= 0xFFFF; ++state)  // mixed bits too: never outside 1..4
        ASSERT_LT(ArpTypeFromState(std::uint16_t(state)) - 1u, 4u) << state;
}

TEST_F(NeighbourTest, LookupTakesTheLastUsableExactMatchOnTheChosenAdapter) {
    table.rows = {Row(7, {10, 0, 0, 10}, {0x10, 0x10, 0x10, 0x10, 0x10, 0x10}, NUD_REACHABLE),
                  Row(8, {10, 0, 0, 1}, {0x88, 0x88, 0x88, 0x88, 0x88, 0x88}, NUD_REACHABLE),
                  Row(7, {10, 0, 0, 5}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11}, NUD_REACHABLE),
                  Row(7, {10, 0, 0, 5}, {0x22, 0x22, 0x22, 0x22, 0x22, 0x22}, NUD_PERMANENT),
                  Row(7, {10, 0, 0, 5}, {}, NUD_FAILED), Row(7, {10, 0, 0, 2}, {}, NUD_INCOMPLETE)};
    const struct { const char* ip; std::optional<int> adapter; bool opens, lists; const char* found; int listCalls; } cases[] = {
        {"10.0.0.5", 7, true, true, "22", 1},         {"10.0.0.1", 8, true, true, "88", 1},
        {"10.0.0.10", 7, true, true, "10", 1},        {"10.0.0.1", 7, true, true, nullptr, 1},
        {"010.0.0.10", 7, true, true, nullptr, 1},    {"10.0.0.2", 7, true, true, nullptr, 1},
        {"10.0.0.1", std::nullopt, true, true, nullptr, 0}, {"10.0.0.5", 7, true, false, nullptr, 1},
        {"10.0.0.5", 7, false, true, nullptr, 0}};  // only an unreachable table is worth a message
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ip + std::string(" on ") + std::to_string(c.adapter.value_or(-1)) + (c.opens ? "" : " closed") +
                     (c.lists ? "" : " unlisted"));
        MacHandOff = {before, 1};
        table.listCalls = 0;
        table.opens = c.opens;
        table.lists = c.lists;
        messages.clear();
        CArpTableReader reader(table, Messages());
        EXPECT_EQ(LookUpMac(reader, c.adapter, c.ip), c.found != nullptr);
        EXPECT_EQ(MacHandOff.ready, c.found != nullptr ? 1 : 0);
        EXPECT_EQ(MacHandOff.macText, (c.found ? MacTexts{c.found, c.found, c.found, c.found, c.found, c.found} : before));
        EXPECT_EQ(table.listCalls, c.listCalls);
        EXPECT_EQ(messages, std::vector<std::string>(c.opens ? 0 : 1, "Load library fail"));
    }
}

TEST_F(NeighbourTest, CycleReadsTheTableAfreshOnlyWhenTheProbeWasAnswered) {
    table.rows = {Row(7, {192, 168, 255, 9}, {1, 2, 3, 4, 5, 6}, NUD_STALE),
                  Row(7, {192, 168, 255, 1}, {0x00, 0x0C, 0x29, 0x3A, 0x4B, 0x5C}, NUD_REACHABLE)};
    const struct { ProbeOutcome probe; const char* ip; GetMacOutcome outcome; int opens; } cases[] = {
        {ProbeOutcome::NoReply, "192.168.255.1", GetMacOutcome::ProbeFailed, 0},
        {ProbeOutcome::NoPermission, "192.168.255.1", GetMacOutcome::NoPermission, 0},
        {ProbeOutcome::Answered, "192.168.255.2", GetMacOutcome::NotFound, 1},
        {ProbeOutcome::Answered, "192.168.255.1", GetMacOutcome::Found, 2}};
    for (const auto& c : cases) {
        std::string probed;
        const auto probe = [&](const std::string& address) { return probed = address, c.probe; };
        EXPECT_EQ(GetMacAddress(c.ip, 7, probe, table, Messages()), c.outcome) << c.ip;
        EXPECT_EQ(probed, c.ip);
        EXPECT_EQ(table.openCalls, c.opens) << c.ip;
        if (c.opens > 0) continue;
        EXPECT_EQ(MacHandOff.ready, 1) << "a failed probe leaves the hand-off alone";
        EXPECT_TRUE(debug.empty());
    }
    EXPECT_EQ(MacHandOff.macText, (MacTexts{"00", "0C", "29", "3A", "4B", "5C"}));
    // Each lookup writes the address and the MAC of every row.
    const std::vector<std::string> lines = {"192.168.255.1", "00-0C-29-3A-4B-5C", "192.168.255.9", "01-02-03-04-05-06"};
    std::vector<std::string> twice = lines;
    twice.insert(twice.end(), lines.begin(), lines.end());
    EXPECT_EQ(debug, twice);
}

}  // namespace
