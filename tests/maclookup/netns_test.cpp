// SPDX-License-Identifier: MIT
// The Get MAC cycle against the real kernel, in two fresh network namespaces
// joined by a veth pair: the "host" holds lqa0 (192.168.255.2/24) and an
// unconnected lqa1 with one static row; the "peer" answers at 192.168.255.1
// with MAC 00:0c:29:3a:4b:5c. The test process works inside the host
// namespace, so no traffic leaves them. Needs root. The adapter the route
// chooses: tests/cli/getmac_netns.sh.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <tuple>

#include "maclookup/mac_handoff.h"
#include "maclookup/mac_lookup.h"
#include "maclookup/network_adapters.h"
#include "types/debug_output.h"

namespace lq3860 {

namespace {

bool Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a cycle on the named adapter: its outcome and "<MAC texts and ready> <debug lines>"; `took` gets its time.
std::pair<GetMacOutcome, std::string> RunCycle(const char* address, const char* adapter, long long* took = nullptr) {
    std::string debugLines, handOff;
    const DebugOutput debug([&debugLines](std::string_view text) { debugLines += std::string(text) + "|"; });
    MacHandOffRecord MacHandOff;
    const std::optional<int> index = FindHostAdapterIndex(adapter);
    const auto start = std::chrono::steady_clock::now();
    const GetMacOutcome outcome =
        MacLookup(MacHandOff, debug).GetMacAddressOfHost(address, index, [](const std::string&) {});
    if (took) *took = (std::chrono::steady_clock::now() - start) / std::chrono::milliseconds(1);
    for (const auto& byte : MacHandOff.macText) handOff += byte + "-";
    return {outcome, handOff + std::to_string(MacHandOff.ready) + " " + debugLines};
}

// The outcome of a cycle in a child that dropped root (and so CAP_NET_RAW)
// for nobody, after letting the groups in pingGroupRange use unprivileged
// ICMP sockets; -1 when that failed.
int CycleWithoutRawSockets(const char* pingGroupRange) {
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream("/proc/sys/net/ipv4/ping_group_range") << pingGroupRange;
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
        _exit(static_cast<int>(RunCycle("192.168.255.1", "lqa0").first));
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) != 99
               ? WEXITSTATUS(status)
               : -1;
}

class NetnsTest : public ::testing::Test {
protected:
    // The test process moves into a fresh namespace of its own, the host; the
    // peer is a named one, reached through ip -n.
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to create network namespaces";
        origin = open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(unshare(CLONE_NEWNET), 0) << "cannot create the host namespace";
        peer = "lqmac" + std::to_string(getpid()) + "p";
        const std::string p = " && ip -n " + peer + " ";
        ASSERT_TRUE(Shell("ip netns add " + peer + " && ip link add lqa0 type veth peer name lqb0 netns " + peer + p +
                          "link set lqb0 address 00:0c:29:3a:4b:5c" + p + "addr add 192.168.255.1/24 dev lqb0" + p +
                          "link set lqb0 up && ip addr add 192.168.255.2/24 dev lqa0 && ip link set lqa0 up && ip link "
                          "set lo up && ip link add lqa1 type veth peer name lqa2 && ip neigh add 192.168.255.200 "
                          "lladdr 02:00:00:00:00:c8 dev lqa1 nud permanent"));
    }
    void TearDown() override {
        EXPECT_TRUE(origin < 0 || setns(origin, CLONE_NEWNET) == 0) << "cannot go back to the first namespace";
        if (origin >= 0) close(origin);
        if (!peer.empty()) Shell("ip netns del " + peer);
    }

    std::string peer;
    int origin = -1;
};

// The rows run while ping gets replies from the peer: a probe of a silent
// address sees them on its raw socket and must not take them for its own.
// Without raw sockets the ping group range decides; refusal is no permission.
TEST_F(NetnsTest, CyclesFindOnlyAnsweringPeersOnTheirAdapterWithOrWithoutRawSockets) {
    const std::tuple<const char*, const char*, GetMacOutcome, std::string, int, int> rows[] = {
        {"192.168.255.1", "lqa0", GetMacOutcome::Found, "00-0C-29-3A-4B-5C-1 192.168.255.1|00-0C-29-3A-4B-5C|", 0, 999},
        {"192.168.255.1", "lqa1", GetMacOutcome::NotFound, "------0 192.168.255.200|02-00-00-00-00-C8|", 0, 999},
        {"192.168.255.77", "lqa0", GetMacOutcome::ProbeFailed, "------0 4|", 1950, 3000},
        {"192.168.255", "lqa0", GetMacOutcome::ProbeFailed, "------0 2|", 0, 999}};
    FILE* ping = popen("ping -c 16 -i 0.2 192.168.255.1 2>&1", "r");
    ASSERT_NE(ping, nullptr);
    for (const auto& [address, adapter, outcome, expected, minMs, maxMs] : rows) {
        long long took = 0;
        EXPECT_EQ(RunCycle(address, adapter, &took), std::pair(outcome, expected)) << address << " on " << adapter;
        EXPECT_TRUE(took >= minMs && took < maxMs) << address << " on " << adapter << ": " << took;
    }
    std::string output;
    for (char line[512]; std::fgets(line, sizeof line, ping) != nullptr;) output += line;
    pclose(ping);
    EXPECT_NE(output.find(" 0% packet loss"), std::string::npos) << "ping ran through all rows: " << output;
    EXPECT_EQ(CycleWithoutRawSockets("65534 65534"), static_cast<int>(GetMacOutcome::Found));
    EXPECT_EQ(CycleWithoutRawSockets("1 0"), static_cast<int>(GetMacOutcome::NoPermission));
}

}  // namespace

}  // namespace lq3860
