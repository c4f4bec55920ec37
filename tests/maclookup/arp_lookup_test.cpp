// SPDX-License-Identifier: MIT
// The neighbour-table reader and the MAC lookup over a hand-made table whose
// rows carry the kernel's neighbour states. The whole cycle with its probe
// and debug lines on a real table: netns_test.cpp.
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
    int listCalls = 0;
    bool Open() override { return opens; }
    bool ListRows(std::vector<NeighbourRow>& out) override { return ++listCalls, out = rows, lists; }
};

class NeighbourTest : public ::testing::Test {
protected:
    int Read(int maxRows, int interfaceIndex) {
        std::memset(entries, 0xAA, sizeof entries);
        return CArpTableReader(table, toMessages).ReadEntries(entries, maxRows, interfaceIndex);
    }

    const MacTexts before{"AA", "BB", "CC", "DD", "EE", "FF"};
    MacHandOffRecord MacHandOff{before, 1};
    DebugOutput debugOutput{[this](std::string_view text) { debug.emplace_back(text); }};
    MacLookup lookup{MacHandOff, debugOutput};
    FakeTable table;
    std::vector<std::string> debug, messages;
    const ReaderMessage toMessages = [this](const std::string& text) { messages.push_back(text); };
    ArpEntry entries[ARP_MAX_ENTRIES + 1];
};

// Number by number: 10.0.0.3 comes before 10.0.0.20 and 10.0.1.0, unlike text or little-endian order.
TEST_F(NeighbourTest, ReaderTakesTheLowestAddressesOfItsInterfaceUpToTheLimitAndZeroesTheRest) {
    for (int i = 299; i >= 0; --i)
        table.rows.push_back(Row(4, {10, 0, std::uint8_t(i / 256), std::uint8_t(i)}, {1}, NUD_STALE));
    table.rows.insert(table.rows.end(), {Row(3, {10, 0, 0, 0}, {1}, NUD_STALE), Row(5, {10, 0, 0, 0}, {1}, NUD_STALE)});
    for (const auto& [interfaceIndex, maxRows, expected] :
         {std::tuple(4, ARP_MAX_ENTRIES, ARP_MAX_ENTRIES), {4, 3, 3}, {5, 5, 1}, {4, 0, 0}, {4, -1, 0}}) {
        SCOPED_TRACE(testing::Message() << "interface " << interfaceIndex << ", limit " << maxRows);
        ASSERT_EQ(Read(maxRows, interfaceIndex), expected);
        for (int i = 0; i < expected; ++i)
            ASSERT_EQ(Bytes(entries[i].ipAddress, entries[i].ipAddress + 4), (Bytes{10, 0, 0, std::uint8_t(i)}));
        for (int i = expected; i < maxRows; ++i) EXPECT_EQ(entries[i].type + entries[i].ipAddress[0], 0u) << i;
        EXPECT_EQ(entries[std::max(maxRows, 0)].type, 0xAAAAAAAAu) << "wrote past the limit";
    }
}

// Kernel states to entry types; physical addresses zero-filled or cut to six
// bytes. Rows of a type outside 1 to 4 take no slot: the next row takes it.
TEST_F(NeighbourTest, ReaderZeroFillsShortMacsCutsLongOnesMapsStatesAndDropsUnknownTypes) {
    const std::uint16_t states[] = {NUD_PERMANENT,  NUD_REACHABLE, NUD_STALE, NUD_DELAY, NUD_PROBE,
                                    NUD_INCOMPLETE, NUD_FAILED,    NUD_NOARP, NUD_NONE};
    const std::uint32_t types[] = {4, 3, 3, 3, 3, 2, 2, 1, 1};
    const Bytes macs[] = {{1, 2, 3, 4, 5, 6, 7, 8}, {0x11, 0x22}};
    for (std::size_t i = 0; i < std::size(states); ++i)
        table.rows.push_back(Row(5, {10, 0, 0, std::uint8_t(2 * i)}, i < 2 ? macs[i] : Bytes{}, states[i]));
    for (std::uint32_t type : {0u, 5u}) {
        table.rows.push_back(Row(5, {10, 0, 0, std::uint8_t(2 * type + 1)}, Bytes(6, 0xEE), NUD_STALE));
        table.rows.back().type = type;
    }
    ASSERT_EQ(Read(ARP_MAX_ENTRIES, 5), int(std::size(states)));
    for (std::size_t i = 0; i < std::size(states); ++i) {
        const Bytes mac = i == 0 ? Bytes{1, 2, 3, 4, 5, 6} : i == 1 ? Bytes{0x11, 0x22, 0, 0, 0, 0} : Bytes(6, 0);
        EXPECT_EQ(entries[i].type, types[i]) << "state " << states[i];
        EXPECT_EQ(entries[i].ipAddress[3], 2 * i);
        EXPECT_EQ(Bytes(entries[i].macAddress, entries[i].macAddress + 6), mac) << i;
    }
}

// Only an unreachable table is worth a message. Only a search of the
// adapter's rows can say that the address is not there.
TEST_F(NeighbourTest, LookupTakesTheLastUsableExactMatchOnTheChosenAdapter) {
    table.rows = {Row(7, {10, 0, 0, 10}, Bytes(6, 0x10), NUD_REACHABLE),
                  Row(8, {10, 0, 0, 1}, Bytes(6, 0x88), NUD_REACHABLE),
                  Row(7, {10, 0, 0, 5}, Bytes(6, 0x11), NUD_REACHABLE),
                  Row(7, {10, 0, 0, 5}, Bytes(6, 0x22), NUD_PERMANENT),
                  Row(7, {10, 0, 0, 5}, {}, NUD_FAILED),
                  Row(7, {10, 0, 0, 2}, {}, NUD_INCOMPLETE)};
    using enum GetMacOutcome;
    // Address, adapter (0: none), whether the table opens and lists, the outcome, the byte text found.
    const std::tuple<const char*, int, int, int, GetMacOutcome, const char*> cases[] = {
        {"10.0.0.5", 7, 1, 1, Found, "22"},         {"10.0.0.1", 8, 1, 1, Found, "88"},
        {"10.0.0.10", 7, 1, 1, Found, "10"},        {"10.0.0.1", 7, 1, 1, NotFound, nullptr},
        {"010.0.0.10", 7, 1, 1, NotFound, nullptr}, {"10.0.0.2", 7, 1, 1, NotFound, nullptr},
        {"10.0.0.1", 0, 1, 1, NoAdapter, nullptr},  {"10.0.0.5", 7, 1, 0, TableUnread, nullptr},
        {"10.0.0.5", 7, 0, 1, TableUnread, nullptr}};
    for (const auto& [ip, adapter, opens, lists, outcome, found] : cases) {
        std::tie(MacHandOff, table.opens, table.lists, table.listCalls, messages) =
            std::tuple(MacHandOffRecord{before, 1}, opens != 0, lists != 0, 0, std::vector<std::string>{});
        CArpTableReader reader(table, toMessages);
        const GetMacOutcome looked = lookup.LookUpMac(reader, adapter ? std::optional(adapter) : std::nullopt, ip);
        EXPECT_EQ(
            std::tuple(looked, MacHandOff.ready, MacHandOff.macText, table.listCalls, messages),
            std::tuple(outcome, found ? 1 : 0, found ? MacTexts{found, found, found, found, found, found} : before,
                       adapter && opens ? 1 : 0, std::vector<std::string>(opens ? 0 : 1, "Load library fail")))
            << ip << " on " << adapter << opens << lists;
    }
}

// A probe without an answer ends the cycle before the table: the hand-off
// keeps what it held, also a MAC that an earlier lookup found.
TEST_F(NeighbourTest, CycleWhoseProbeFailsLeavesTheHandOffAsItWas) {
    table.rows = {Row(7, {10, 0, 0, 5}, Bytes(6, 0x22), NUD_REACHABLE)};
    ProbeOutcome answer = ProbeOutcome::Answered;
    const ProbeFunction probe = [&answer](const std::string&) { return answer; };
    ASSERT_EQ(lookup.GetMacAddress("10.0.0.5", 7, probe, table, toMessages), GetMacOutcome::Found);
    const MacHandOffRecord found = MacHandOff;
    for (const auto& [failure, outcome] : {std::pair(ProbeOutcome::NoReply, GetMacOutcome::ProbeFailed),
                                           {ProbeOutcome::NoPermission, GetMacOutcome::NoPermission}}) {
        answer = failure;
        EXPECT_EQ(lookup.GetMacAddress("10.0.0.9", 7, probe, table, toMessages), outcome);
        EXPECT_EQ(MacHandOff.ready, found.ready);
        EXPECT_EQ(MacHandOff.macText, found.macText);
    }
    EXPECT_EQ(table.listCalls, 1);
}

}  // namespace

}  // namespace lq3860
