// The Get MAC cycle against the real kernel, in two fresh network namespaces
// joined by a veth pair: the "host" holds lqa0 (192.168.255.2/24) and an
// unconnected lqa1 with one static row; the "peer" answers at 192.168.255.1
// with MAC 00:0c:29:3a:4b:5c. Traffic never leaves them. Needs root.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "device/debug_output.h"
#include "maclookup/mac_handoff.h"
#include "maclookup/mac_lookup.h"
#include "maclookup/network_adapters.h"
#include "maclookup/rtnetlink_neighbour_source.h"

namespace {

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// What a child reports back from one cycle inside the host namespace.
struct CycleReport {
    GetMacOutcome outcome;
    long long elapsedMs;
    int ready;
    int rowCount;
    ArpEntry rows[8];
    char mac[32];
    char debug[64];
};

// Lets the groups in range use unprivileged ICMP sockets, then gives up CAP_NET_RAW.
bool DropRawSocketRight(const char* pingGroupRange) {
    std::ofstream("/proc/sys/net/ipv4/ping_group_range") << pingGroupRange;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    data[0].effective &= ~(1u << CAP_NET_RAW);
    data[0].permitted &= ~(1u << CAP_NET_RAW);
    return syscall(SYS_capset, &header, data) == 0;
}

// Runs a cycle on the named adapter, then reads that adapter's rows.
CycleReport RunCycle(const char* address, const char* adapter) {
    CycleReport report{};
    std::string debug;
    SetDebugSink([&debug](std::string_view text) { debug += std::string(text) + "|"; });
    MacHandOff = MacHandOffRecord{};
    const std::optional<int> index = FindHostAdapterIndex(adapter);
    const auto start = std::chrono::steady_clock::now();
    report.outcome = GetMacAddressOfHost(address, index, [](const std::string&) {});
    report.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start).count();
    report.ready = MacHandOff.ready;
    std::string mac;
    for (const auto& byte : MacHandOff.macText) mac += byte + "-";
    RtnetlinkNeighbourSource table;
    CArpTableReader reader(table, [](const std::string&) {});
    report.rowCount = index ? reader.ReadEntries(report.rows, 8, *index) : -1;
    std::strncpy(report.mac, mac.c_str(), sizeof report.mac - 1);
    std::strncpy(report.debug, debug.c_str(), sizeof report.debug - 1);
    return report;
}

class NetnsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to create network namespaces";
        host = "lqmac" + std::to_string(getpid()) + "h";
        peer = "lqmac" + std::to_string(getpid()) + "p";
        const std::string h = "ip -n " + host + " ", p = "ip -n " + peer + " ";
        const bool up =
            Shell("ip netns add " + host) && Shell("ip netns add " + peer) &&
            Shell("ip link add lqa0 netns " + host + " type veth peer name lqb0 netns " + peer) &&
            Shell(p + "link set lqb0 address 00:0c:29:3a:4b:5c") && Shell(p + "addr add 192.168.255.1/24 dev lqb0") &&
            Shell(p + "link set lqb0 up") && Shell(h + "addr add 192.168.255.2/24 dev lqa0") &&
            Shell(h + "link set lqa0 up") && Shell(h + "link set lo up") &&
            Shell(h + "link add lqa1 type veth peer name lqa2") &&
            Shell(h + "neigh add 192.168.255.200 lladdr 02:00:00:00:00:c8 dev lqa1 nud permanent");
        ASSERT_TRUE(up) << "cannot set up the namespaces";
    }
    void TearDown() override {
        if (!host.empty()) Shell("ip netns del " + host);
        if (!peer.empty()) Shell("ip netns del " + peer);
    }

    // Runs body in a child that has entered the host namespace; empty when the child failed.
    std::optional<CycleReport> InHost(const std::function<CycleReport()>& body) const {
        int channel[2];
        if (pipe(channel) != 0) return std::nullopt;
        const pid_t child = fork();
        if (child == 0) {
            const int fd = open(("/run/netns/" + host).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0 || setns(fd, CLONE_NEWNET) != 0) _exit(2);
            const CycleReport report = body();
            _exit(write(channel[1], &report, sizeof report) == sizeof report ? 0 : 3);
        }
        close(channel[1]);
        CycleReport report;
        const bool got = child > 0 && read(channel[0], &report, sizeof report) == sizeof report;
        close(channel[0]);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return std::nullopt;
        return got ? std::optional(report) : std::nullopt;
    }
    // Output of a command started in the host namespace, read until it ends
    // while during() runs once the line marking its start has been read.
    std::vector<std::string> InHostWhile(const std::string& command, const char* startMark,
                                         const std::function<void()>& during) const {
        FILE* pipe = popen(("ip netns exec " + host + " " + command + " 2>&1").c_str(), "r");
        std::vector<std::string> lines;
        char line[512];
        bool started = startMark == nullptr;
        while (pipe != nullptr && !started && std::fgets(line, sizeof line, pipe) != nullptr)
            started = lines.emplace_back(line).find(startMark) != std::string::npos;
        if (started) during();
        while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr) lines.emplace_back(line);
        if (pipe != nullptr) pclose(pipe);
        EXPECT_TRUE(started) << command;
        return lines;
    }

    std::string host, peer;
};

TEST_F(NetnsTest, CyclesFindOnlyAnsweringPeersOnTheirAdapter) {
    const std::string peerMac = "00-0C-29-3A-4B-5C-";
    struct Row {
        const char* name;
        const char* address;
        const char* adapter;
        const char* pingGroupRange;  // set: the cycle runs without CAP_NET_RAW
        GetMacOutcome outcome;
        std::string mac;
        const char* debug;                     // the whole debug output; nullptr: not checked
        int rowCount, rowType, rowIp, rowMac;  // the adapter's rows afterwards; -1: not checked
        long long minMs, maxMs;
    } rows[] = {
        {"answering peer", "192.168.255.1", "lqa0", nullptr, GetMacOutcome::Found, peerMac,
         "192.168.255.1|00-0C-29-3A-4B-5C|", 1, 3, 1, 0x5C, 0, 1000},
        {"peer on another adapter", "192.168.255.1", "lqa1", nullptr, GetMacOutcome::NotFound, "------",
         "192.168.255.200|02-00-00-00-00-C8|",
         1, 4, 200, 0xC8, 0, 1000},
        {"silent address", "192.168.255.77", "lqa0", nullptr, GetMacOutcome::ProbeFailed, "------", "4|",
         -1, 0, 0, 0, 1950, 3000},
        {"unparsable address", "192.168.255", "lqa0", nullptr, GetMacOutcome::ProbeFailed, "------", "2|",
         -1, 0, 0, 0, 0, 1000},
        {"unprivileged socket allowed", "192.168.255.1", "lqa0", "0 0", GetMacOutcome::Found, peerMac, nullptr, -1,
         0, 0, 0, 0, 1000},
        {"no ICMP socket allowed", "192.168.255.1", "lqa0", "1 0", GetMacOutcome::NoPermission, "------", "1|",
         -1, 0, 0, 0, 0, 1000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto report = InHost([&row] {
            if (row.pingGroupRange != nullptr && !DropRawSocketRight(row.pingGroupRange)) _exit(4);
            return RunCycle(row.address, row.adapter);
        });
        ASSERT_TRUE(report);
        EXPECT_EQ(report->outcome, row.outcome);
        EXPECT_EQ(report->mac, row.mac);
        EXPECT_EQ(report->ready, row.outcome == GetMacOutcome::Found ? 1 : 0);
        EXPECT_EQ(std::string(report->debug), row.debug ? row.debug : report->debug);
        EXPECT_GE(report->elapsedMs, row.minMs);
        EXPECT_LT(report->elapsedMs, row.maxMs);
        std::string key = std::string(row.name) + " ms";
        std::replace(key.begin(), key.end(), ' ', '_');
        RecordProperty(key, std::to_string(report->elapsedMs));
        if (row.rowCount < 0) continue;
        ASSERT_EQ(report->rowCount, row.rowCount);
        EXPECT_EQ(report->rows[0].type, static_cast<std::uint32_t>(row.rowType));
        EXPECT_EQ(report->rows[0].ipAddress[3], row.rowIp);
        EXPECT_EQ(report->rows[0].macAddress[5], row.rowMac);
    }
}

TEST_F(NetnsTest, OtherHostsRepliesDoNotCount) {
    // While ping gets replies from the peer, a probe of a silent address sees
    // them on its raw socket and must not take them for its own answer.
    std::optional<CycleReport> report;
    const auto ping = InHostWhile("ping -c 12 -i 0.2 192.168.255.1", "bytes from", [&] {
        report = InHost([] { return RunCycle("192.168.255.77", "lqa0"); });
    });
    ASSERT_TRUE(report);
    EXPECT_EQ(report->outcome, GetMacOutcome::ProbeFailed);
    EXPECT_NE(std::find_if(ping.begin(), ping.end(), [](const std::string& line) {
                  return line.find(" 0% packet loss") != std::string::npos;
              }), ping.end()) << "the peer answered ping meanwhile";
}

TEST_F(NetnsTest, ProbeOnTheWireHasAValidChecksum) {
    std::optional<CycleReport> report;
    const auto lines = InHostWhile(
        "tshark -i lqa0 -l -n -a duration:8 -c 2 -f icmp -T fields -e frame.len -e icmp.type"
        " -e icmp.checksum.status", "Capture started",
        [&] { report = InHost([] { return RunCycle("192.168.255.1", "lqa0"); }); });
    ASSERT_TRUE(report);
    EXPECT_EQ(report->outcome, GetMacOutcome::Found);
    int requests = 0;
    for (const std::string& text : lines) {
        std::istringstream fields(text);
        std::string frameLength, type, status;
        if (!(fields >> frameLength >> type >> status) || type != "8") continue;
        ++requests;
        EXPECT_EQ(frameLength, "79") << "14 Ethernet + 20 IP + 45 ICMP bytes";
        EXPECT_TRUE(status == "1" || status == "[correct]") << text;
    }
    EXPECT_EQ(requests, 1);
}

}  // namespace
