#include <gtest/gtest.h>

#include <set>

#include "maclookup/network_adapters.h"

namespace {

TEST(NetworkAdaptersTest, ItemsAreSortedByTextIgnoringCaseWithNameForEmptyDescription) {
    const std::vector<AdapterRecord> adapters = {
        {"", "wlan0", 3},
        {"Ethernet adapter", "eth0", 2},
        {"", "lo", 1},
        {"", "LO", 4},
        {"Loopback", "lo1", 5},
    };
    const auto items = AdapterListItems(adapters);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].text, "Ethernet adapter");
    EXPECT_EQ(items[0].interfaceIndex, 2);
    EXPECT_EQ(items[1].text, "LO");
    EXPECT_EQ(items[2].text, "lo");
    EXPECT_EQ(items[2].interfaceIndex, 1);
    EXPECT_EQ(items[3].text, "Loopback");
    EXPECT_EQ(items[4].text, "wlan0");
    EXPECT_EQ(items[4].interfaceIndex, 3);
}

TEST(NetworkAdaptersTest, HostListHasDistinctIndexesFoundByName) {
    const auto adapters = ListHostAdapters();
    ASSERT_FALSE(adapters.empty()) << "every namespace has at least lo";
    std::set<int> indexes;
    for (const auto& adapter : adapters) {
        EXPECT_FALSE(adapter.name.empty());
        EXPECT_GT(adapter.interfaceIndex, 0);
        EXPECT_TRUE(indexes.insert(adapter.interfaceIndex).second) << adapter.name;
        EXPECT_EQ(FindHostAdapterIndex(adapter.name), adapter.interfaceIndex);
    }
    EXPECT_EQ(FindHostAdapterIndex("no-such-adapter-name"), std::nullopt);
}

}  // namespace
