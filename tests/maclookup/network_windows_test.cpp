// SPDX-License-Identifier: MIT
// The IP Helper parts of the MAC lookup against the system they run on:
// adapters, neighbour rows, the route's interface and the echo probe. No
// particular adapter is assumed; the checks compare the answers with each
// other and with the system's own address list.
#include <gtest/gtest.h>

// winsock2.h before windows.h, which would otherwise bring the older winsock.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "maclookup/host_neighbour_source.h"
#include "maclookup/host_probe.h"
#include "maclookup/neighbour_source_windows.h"
#include "maclookup/network_adapters.h"
#include "maclookup/route_lookup.h"

namespace lq3860 {
namespace {

// One IPv4 address of an adapter with its prefix length, read here directly
// from the system, independent of the code under test.
struct AdapterAddress {
    int interfaceIndex;
    std::array<std::uint8_t, 4> address;
    unsigned prefixLength;
    bool loopback;
};

std::vector<AdapterAddress> SystemIpv4Addresses() {
    std::vector<AdapterAddress> found;
    std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
    ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG));
    auto* first = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (GetAdaptersAddresses(AF_INET, 0, nullptr, first, &size) != NO_ERROR) return found;
    for (const IP_ADAPTER_ADDRESSES* adapter = first; adapter != nullptr; adapter = adapter->Next) {
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr);
            AdapterAddress entry{static_cast<int>(adapter->IfIndex),
                                 {},
                                 unicast->OnLinkPrefixLength,
                                 adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK};
            std::memcpy(entry.address.data(), &ipv4->sin_addr, 4);
            found.push_back(entry);
        }
    }
    return found;
}

std::string DottedText(const std::uint8_t* address) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) + "." +
           std::to_string(address[3]);
}

// Every adapter is named and listed once under its index, every adapter
// that holds an IPv4 address among them; every neighbour row is well formed
// and belongs to a listed adapter.
TEST(WindowsNetworkTest, AdaptersAndNeighbourRowsAgreeWithTheSystem) {
    std::set<int> indexes;
    for (const AdapterRecord& adapter : ListHostAdapters()) {
        EXPECT_GT(adapter.interfaceIndex, 0) << adapter.name;
        EXPECT_FALSE(adapter.name.empty()) << adapter.interfaceIndex;
        EXPECT_TRUE(indexes.insert(adapter.interfaceIndex).second) << "index listed twice: " << adapter.interfaceIndex;
    }
    for (const AdapterAddress& address : SystemIpv4Addresses()) {
        EXPECT_EQ(indexes.count(address.interfaceIndex), 1u) << "adapter " << address.interfaceIndex << " missing";
    }
    auto source = HostNeighbourSource();
    ASSERT_TRUE(source->Open());
    std::vector<NeighbourRow> rows(3);  // stale content must go
    ASSERT_TRUE(source->ListRows(rows));
    for (const NeighbourRow& row : rows) {
        const std::string where = DottedText(row.ipv4);
        EXPECT_TRUE(row.type >= 1 && row.type <= 4) << where << " type " << row.type;
        EXPECT_LE(row.macLength, 8u) << where;  // MAXLEN_PHYSADDR
        EXPECT_EQ(indexes.count(row.interfaceIndex), 1u) << where << " on unlisted interface " << row.interfaceIndex;
        EXPECT_NE(where, "0.0.0.0");  // the address bytes were copied
    }
}

// Rows as GetIpNetTable gives them. Wine reports the kernel's unresolved
// entries as dynamic rows with a zero address, which the lookup must not
// take for a MAC.
TEST(WindowsNetworkTest, NeighbourRowsKeepAddressMacAndTypeAndUnresolvedOnesAreInvalid) {
    using Mac = std::vector<std::uint8_t>;
    const Mac known = {0x00, 0x0C, 0x29, 0x3A, 0x4B, 0x5C};
    const struct {
        DWORD type;
        DWORD macLength;
        Mac mac;
        std::uint32_t expectedType;
        Mac expectedMac;
    } rows[] = {
        {MIB_IPNET_TYPE_DYNAMIC, 6, known, 3, known},
        {MIB_IPNET_TYPE_STATIC, 6, known, 4, known},
        {MIB_IPNET_TYPE_DYNAMIC, 6, Mac(6, 0), 2, Mac(6, 0)},
        {MIB_IPNET_TYPE_DYNAMIC, 0, known, 2, {}},
        {MIB_IPNET_TYPE_STATIC, 0, {}, 4, {}},  // Wine's multicast rows
        {MIB_IPNET_TYPE_INVALID, 6, known, 2, known},
        {0, 6, known, 1, known},
        {9, 6, known, 1, known},
        {MIB_IPNET_TYPE_STATIC, 20, Mac{1, 2, 3, 4, 5, 6, 7, 8}, 4, Mac{1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& row : rows) {
        MIB_IPNETROW entry{};
        entry.dwIndex = 7;
        entry.dwType = row.type;
        entry.dwPhysAddrLen = row.macLength;
        std::copy(row.mac.begin(), row.mac.end(), entry.bPhysAddr);
        const std::uint8_t address[4] = {192, 168, 255, 1};
        std::memcpy(&entry.dwAddr, address, sizeof address);

        const NeighbourRow converted = NeighbourRowOf(entry);
        EXPECT_EQ(converted.interfaceIndex, 7);
        EXPECT_EQ(DottedText(converted.ipv4), "192.168.255.1");
        EXPECT_EQ(converted.type, row.expectedType) << "type " << row.type << ", length " << row.macLength;
        EXPECT_EQ(Mac(converted.mac, converted.mac + converted.macLength), row.expectedMac) << "type " << row.type;
    }
}

TEST(WindowsNetworkTest, RouteToAnAddressOfASubnetLeadsToItsAdapter) {
    int checked = 0;
    for (const AdapterAddress& own : SystemIpv4Addresses()) {
        // Wine answers loopback addresses with the default route's adapter.
        if (own.loopback || own.prefixLength == 0 || own.prefixLength > 30) continue;
        // Another host of the same subnet: the own address with its last
        // host bit flipped.
        std::array<std::uint8_t, 4> neighbour = own.address;
        neighbour[3] ^= 1;
        if (neighbour[3] == 0 || neighbour[3] == 255) neighbour[3] ^= 3;
        const std::optional<int> index = RouteInterfaceFor(DottedText(neighbour.data()));
        ASSERT_TRUE(index.has_value());
        EXPECT_EQ(*index, own.interfaceIndex);
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "no adapter with an IPv4 subnet";
}

// What is no dotted address is refused with the mark "2"; the loopback answers without a mark.
TEST(WindowsNetworkTest, ProbeRefusesWhatIsNoDottedAddressAndTheLoopbackAnswers) {
    const auto probe = [](const char* text, std::string& marks) {
        return ProbeHost(text, DebugOutput([&marks](std::string_view written) { marks.append(written); }));
    };
    for (const char* text : {"", "127.0.0", "127.0.0.1.5", "256.0.0.1", "127.0.0.1 ", "localhost", "1..2.3"}) {
        std::string marks;
        EXPECT_EQ(probe(text, marks), ProbeOutcome::NoReply) << text;
        EXPECT_EQ(marks, "2") << text;
    }
    std::string marks;
    const ProbeOutcome outcome = probe("127.0.0.1", marks);
    if (outcome == ProbeOutcome::NoPermission) GTEST_SKIP() << "this user may not send ICMP here";
    EXPECT_EQ(outcome, ProbeOutcome::Answered);
    EXPECT_EQ(marks, "");
}

}  // namespace
}  // namespace lq3860
