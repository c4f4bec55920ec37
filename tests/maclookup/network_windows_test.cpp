// SPDX-License-Identifier: MIT
// The IP Helper parts of the MAC lookup: neighbour rows as the system gives
// them, and the echo probe. Adapters, the route's interface and the whole
// lookup against real neighbour tables: tests/cli/getmac_netns.sh under Wine.
#include <gtest/gtest.h>

// winsock2.h before windows.h, which would otherwise bring the older winsock.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "maclookup/host_probe.h"
#include "maclookup/neighbour_source_windows.h"

namespace lq3860 {
namespace {

// Rows as GetIpNetTable gives them. Wine reports the kernel's unresolved
// entries as dynamic rows with a zero address, which the lookup must not
// take for a MAC.
TEST(WindowsNetworkTest, NeighbourRowsKeepAddressMacAndTypeAndUnresolvedOnesAreInvalid) {
    using Mac = std::vector<std::uint8_t>;
    const Mac known = {0x00, 0x0C, 0x29, 0x3A, 0x4B, 0x5C};
    // Type and physical address length given, type and MAC taken.
    const std::tuple<DWORD, DWORD, Mac, std::uint32_t, Mac> rows[] = {
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
    for (const auto& [type, macLength, mac, expectedType, expectedMac] : rows) {
        MIB_IPNETROW entry{};
        entry.dwIndex = 7;
        entry.dwType = type;
        entry.dwPhysAddrLen = macLength;
        std::copy(mac.begin(), mac.end(), entry.bPhysAddr);
        const std::uint8_t address[4] = {192, 168, 255, 1};
        std::memcpy(&entry.dwAddr, address, sizeof address);

        const NeighbourRow converted = NeighbourRowOf(entry);
        EXPECT_EQ(converted.interfaceIndex, 7);
        EXPECT_EQ(Mac(converted.ipv4, converted.ipv4 + 4), Mac(address, address + 4));
        EXPECT_EQ(converted.type, expectedType) << "type " << type << ", length " << macLength;
        EXPECT_EQ(Mac(converted.mac, converted.mac + converted.macLength), expectedMac) << "type " << type;
    }
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
