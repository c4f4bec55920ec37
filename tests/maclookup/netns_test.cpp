// The Get MAC cycle against the real kernel, in two fresh network namespaces
// joined by a veth pair: the "host" holds lqa0 (192.168.255.2/24) and an
// unconnected lqa1 with one static row; the "peer" answers at 192.168.255.1
// with MAC 00:0c:29:3a:4b:5c. The test process works inside the host
// namespace, so no traffic leaves them. Needs root.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "device/debug_output.h"
#include "maclookup/mac_handoff.h"
#include "maclookup/mac_lookup.h"
#include "maclookup/network_adapters.h"
#include "maclookup/rtnetlink_neighbour_source.h"

namespace {

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

struct CycleReport {
    GetMacOutcome outcome;
    long long elapsedMs;
    int ready;
    std::string mac, debug, types;  // types: of the adapter's rows afterwards
};

// Runs a cycle on the named adapter, then reads the types of that adapter's rows.
CycleReport RunCycle(const char* address, const char* adapter) {
    CycleReport report{};
    SetDebugSink([&report](std::string_view text) { report.debug += std::string(text) + "|"; });
    MacHandOff = MacHandOffRecord{};
    const std::optional<int> index = FindHostAdapterIndex(adapter);
    const auto start = std::chrono::steady_clock::now();
    report.outcome = GetMacAddressOfHost(address, index, [](const std::string&) {});
    report.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start).count();
    SetDebugSink(nullptr);
    for (const auto& byte : MacHandOff.macText) report.mac += byte + "-";
    report.ready = MacHandOff.ready;
    RtnetlinkNeighbourSource table;
    CArpTableReader reader(table, [](const std::string&) {});
    ArpEntry rows[8];
    for (int i = 0; i < reader.ReadEntries(rows, 8, index.value_or(0)); ++i) report.types += std::to_string(rows[i].type);
    return report;
}

// The outcome of a cycle in a child without CAP_NET_RAW, after letting the
// groups in pingGroupRange use unprivileged ICMP sockets; -1 when that failed.
int CycleWithoutRawSockets(const char* pingGroupRange) {
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream("/proc/sys/net/ipv4/ping_group_range") << pingGroupRange;
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (syscall(SYS_capget, &header, data) != 0) _exit(99);
        data[0].effective &= ~(1u << CAP_NET_RAW);
        data[0].permitted &= ~(1u << CAP_NET_RAW);
        if (syscall(SYS_capset, &header, data) != 0) _exit(99);
        _exit(static_cast<int>(RunCycle("192.168.255.1", "lqa0").outcome));
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) != 99
               ? WEXITSTATUS(status) : -1;
}

// The lines a command prints; during() runs once a line holding startMark came.
std::string OutputAround(const std::string& command, const char* startMark, const std::function<void()>& during) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char line[512];
    while (pipe != nullptr && output.find(startMark) == std::string::npos && std::fgets(line, sizeof line, pipe))
        output += line;
    EXPECT_NE(output.find(startMark), std::string::npos) << command << ": " << output;
    during();
    while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr) output += line;
    if (pipe != nullptr) pclose(pipe);
    return output;
}

class NetnsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to create network namespaces";
        host = "lqmac" + std::to_string(getpid()) + "h";
        peer = "lqmac" + std::to_string(getpid()) + "p";
        const std::string h = "ip -n " + host + " ", p = "ip -n " + peer + " ";
        ASSERT_TRUE(
            Shell("ip netns add " + host) && Shell("ip netns add " + peer) &&
            Shell("ip link add lqa0 netns " + host + " type veth peer name lqb0 netns " + peer) &&
            Shell(p + "link set lqb0 address 00:0c:29:3a:4b:5c") && Shell(p + "addr add 192.168.255.1/24 dev lqb0") &&
            Shell(p + "link set lqb0 up") && Shell(h + "addr add 192.168.255.2/24 dev lqa0") &&
            Shell(h + "link set lqa0 up") && Shell(h + "link set lo up") &&
            Shell(h + "link add lqa1 type veth peer name lqa2") &&
            Shell(h + "neigh add 192.168.255.200 lladdr 02:00:00:00:00:c8 dev lqa1 nud permanent"));
        origin = open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        const int target = open(("/run/netns/" + host).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(setns(target, CLONE_NEWNET), 0) << "cannot enter " << host;
        close(target);
    }
    void TearDown() override {
        EXPECT_TRUE(origin < 0 || setns(origin, CLONE_NEWNET) == 0) << "cannot go back to the first namespace";
        if (origin >= 0) close(origin);
        if (!host.empty()) Shell("ip netns del " + host + "; ip netns del " + peer);
    }

    std::string host, peer;
    int origin = -1;
};

TEST_F(NetnsTest, CyclesFindOnlyAnsweringPeersOnTheirAdapter) {
    const struct {
        const char *address, *adapter;
        GetMacOutcome outcome;
        const char *mac, *debug, *types;  // types: nullptr when not checked
        long long minMs, maxMs;
    } rows[] = {
        {"192.168.255.1", "lqa0", GetMacOutcome::Found, "00-0C-29-3A-4B-5C-", "192.168.255.1|00-0C-29-3A-4B-5C|", "3",
         0, 1000},
        {"192.168.255.1", "lqa1", GetMacOutcome::NotFound, "------", "192.168.255.200|02-00-00-00-00-C8|", "4", 0, 1000},
        {"192.168.255.77", "lqa0", GetMacOutcome::ProbeFailed, "------", "4|", nullptr, 1950, 3000},
        {"192.168.255", "lqa0", GetMacOutcome::ProbeFailed, "------", "2|", nullptr, 0, 1000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.address) + " on " + row.adapter);
        const CycleReport report = RunCycle(row.address, row.adapter);
        EXPECT_EQ(report.outcome, row.outcome);
        EXPECT_EQ(report.mac, row.mac);
        EXPECT_EQ(report.ready, row.outcome == GetMacOutcome::Found ? 1 : 0);
        EXPECT_EQ(report.debug, row.debug);
        EXPECT_EQ(report.types, row.types ? row.types : report.types);
        EXPECT_GE(report.elapsedMs, row.minMs);
        EXPECT_LT(report.elapsedMs, row.maxMs);
        RecordProperty(std::string("cycle_ms_") + row.address, std::to_string(report.elapsedMs));
    }
}

TEST_F(NetnsTest, WithoutRawSocketsTheGroupRangeDecidesAndRefusalIsNoPermission) {
    EXPECT_EQ(CycleWithoutRawSockets("0 0"), static_cast<int>(GetMacOutcome::Found));
    EXPECT_EQ(CycleWithoutRawSockets("1 0"), static_cast<int>(GetMacOutcome::NoPermission));
}

TEST_F(NetnsTest, OtherHostsRepliesDoNotCount) {
    // While ping gets replies from the peer, a probe of a silent address sees
    // them on its raw socket and must not take them for its own answer.
    CycleReport report{};
    const std::string ping = OutputAround("ping -c 12 -i 0.2 192.168.255.1", "bytes from",
                                          [&] { report = RunCycle("192.168.255.77", "lqa0"); });
    EXPECT_EQ(report.outcome, GetMacOutcome::ProbeFailed);
    EXPECT_NE(ping.find(" 0% packet loss"), std::string::npos) << ping;
}

TEST_F(NetnsTest, ProbeOnTheWireHasAValidChecksum) {
    CycleReport report{};
    std::istringstream lines(OutputAround("tshark -i lqa0 -l -n -a duration:8 -c 2 -f icmp -T fields -e frame.len"
                                          " -e icmp.type -e icmp.checksum.status", "Capture started",
                                          [&] { report = RunCycle("192.168.255.1", "lqa0"); }));
    EXPECT_EQ(report.outcome, GetMacOutcome::Found);
    int requests = 0;
    for (std::string frameLength, type, status; lines >> frameLength;) {
        if (frameLength != "79" || !(lines >> type >> status) || type != "8") continue;
        ++requests;
        EXPECT_TRUE(status == "1" || status == "[correct]") << status;
    }
    EXPECT_EQ(requests, 1) << "one 79-byte echo request: 14 Ethernet + 20 IP + 45 ICMP bytes";
}

}  // namespace
