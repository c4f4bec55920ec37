#include <gtest/gtest.h>

#include <linux/neighbour.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "device/debug_output.h"
#include "fake_neighbour_table.h"
#include "maclookup/mac_handoff.h"
#include "maclookup/mac_lookup.h"

namespace {

using MacTexts = std::array<std::string, 6>;

class MacLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        MacHandOff.macText = {"AA", "BB", "CC", "DD", "EE", "FF"};
        MacHandOff.ready = 1;
        SetDebugSink([this](std::string_view text) { debug.emplace_back(text); });
    }
    void TearDown() override { SetDebugSink(nullptr); }

    bool Look(const std::string& ipText, std::optional<int> interfaceIndex = 7) {
        CArpTableReader reader(table, [this](const std::string& text) { messages.push_back(text); });
        return LookUpMac(reader, interfaceIndex, ipText);
    }
    GetMacOutcome Cycle(ProbeOutcome probeResult, const std::string& ipText = "192.168.255.1") {
        return GetMacAddress(
            ipText, 7,
            [&, probeResult](const std::string& address) {
                probed.push_back(address);
                return probeResult;
            },
            table, [this](const std::string& text) { messages.push_back(text); });
    }

    FakeNeighbourTable table;
    std::vector<std::string> debug;
    std::vector<std::string> messages;
    std::vector<std::string> probed;
    const MacTexts before{"AA", "BB", "CC", "DD", "EE", "FF"};
};

TEST_F(MacLookupTest, FindsTheAddressAndWritesTwoDebugLinesPerRow) {
    table.rows = {
        MakeRow(7, {192, 168, 255, 9}, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06}, NUD_STALE),
        MakeRow(7, {192, 168, 255, 1}, {0x00, 0x0C, 0x29, 0x3A, 0x4B, 0x5C}, NUD_REACHABLE),
    };
    EXPECT_TRUE(Look("192.168.255.1"));
    EXPECT_EQ(MacHandOff.macText, (MacTexts{"00", "0C", "29", "3A", "4B", "5C"}));
    EXPECT_EQ(MacHandOff.ready, 1);
    EXPECT_EQ(debug, (std::vector<std::string>{"192.168.255.1", "00-0C-29-3A-4B-5C", "192.168.255.9",
                                               "01-02-03-04-05-06"}));
}

TEST_F(MacLookupTest, MissingAddressClearsReadyAndKeepsTheTexts) {
    table.rows = {
        MakeRow(7, {10, 0, 0, 10}, {1, 2, 3, 4, 5, 6}, NUD_REACHABLE),
        MakeRow(8, {10, 0, 0, 1}, {1, 2, 3, 4, 5, 6}, NUD_REACHABLE),
    };
    // Exact text: 10.0.0.1 is not a prefix match of 10.0.0.10, and the row
    // of another interface does not count.
    EXPECT_FALSE(Look("10.0.0.1"));
    EXPECT_EQ(MacHandOff.ready, 0);
    EXPECT_EQ(MacHandOff.macText, before);
    EXPECT_FALSE(Look("010.0.0.10"));
}

TEST_F(MacLookupTest, InvalidRowsNeverMatchAndTheLastMatchWins) {
    table.rows = {
        MakeRow(7, {10, 0, 0, 1}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11}, NUD_REACHABLE),
        MakeRow(7, {10, 0, 0, 1}, {0x22, 0x22, 0x22, 0x22, 0x22, 0x22}, NUD_PERMANENT),
        MakeRow(7, {10, 0, 0, 1}, {}, NUD_FAILED),
    };
    EXPECT_TRUE(Look("10.0.0.1"));
    EXPECT_EQ(MacHandOff.macText, (MacTexts{"22", "22", "22", "22", "22", "22"}));

    table.rows = {MakeRow(7, {10, 0, 0, 2}, {}, NUD_INCOMPLETE)};
    EXPECT_FALSE(Look("10.0.0.2"));
    EXPECT_EQ(MacHandOff.ready, 0);
    EXPECT_EQ(MacHandOff.macText[0], "22");
}

TEST_F(MacLookupTest, NoAdapterOrNoTableFindsNothing) {
    table.rows = {MakeRow(7, {10, 0, 0, 1}, {1, 2, 3, 4, 5, 6}, NUD_REACHABLE)};
    EXPECT_FALSE(Look("10.0.0.1", std::nullopt));
    EXPECT_EQ(MacHandOff.ready, 0);
    EXPECT_EQ(table.listCalls, 0);

    MacHandOff.ready = 1;
    table.opens = false;
    EXPECT_FALSE(Look("10.0.0.1"));
    EXPECT_EQ(MacHandOff.ready, 0);
    EXPECT_EQ(messages, std::vector<std::string>{"Load library fail"});
}

TEST_F(MacLookupTest, FailedProbeLeavesTheHandOffAndTheTableAlone) {
    table.rows = {MakeRow(7, {192, 168, 255, 1}, {1, 2, 3, 4, 5, 6}, NUD_REACHABLE)};
    EXPECT_EQ(Cycle(ProbeOutcome::NoReply), GetMacOutcome::ProbeFailed);
    EXPECT_EQ(Cycle(ProbeOutcome::NoPermission), GetMacOutcome::NoPermission);
    EXPECT_EQ(table.openCalls, 0);
    EXPECT_EQ(MacHandOff.ready, 1);
    EXPECT_EQ(MacHandOff.macText, before);
    EXPECT_TRUE(debug.empty());
}

TEST_F(MacLookupTest, AnsweredProbeLooksTheAddressUp) {
    table.rows = {MakeRow(7, {192, 168, 255, 1}, {0x00, 0x0C, 0x29, 0x3A, 0x4B, 0x5C}, NUD_REACHABLE)};
    EXPECT_EQ(Cycle(ProbeOutcome::Answered), GetMacOutcome::Found);
    EXPECT_EQ(MacHandOff.macText, (MacTexts{"00", "0C", "29", "3A", "4B", "5C"}));
    EXPECT_EQ(Cycle(ProbeOutcome::Answered, "192.168.255.2"), GetMacOutcome::NotFound);
    EXPECT_EQ(probed, (std::vector<std::string>{"192.168.255.1", "192.168.255.2"}));
    EXPECT_EQ(table.openCalls, 2) << "each cycle reads the table afresh";
    EXPECT_FALSE(GetMacStatusText(GetMacOutcome::NotFound).empty());
    EXPECT_FALSE(GetMacStatusText(GetMacOutcome::NoPermission).empty());
}

}  // namespace
