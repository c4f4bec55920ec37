#include <gtest/gtest.h>
#include <linux/capability.h>
#include <linux/neighbour.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "device/debug_output.h"
#include "maclookup/arp_table_reader.h"
#include "maclookup/echo_probe.h"
#include "maclookup/mac_handoff.h"
#include "maclookup/mac_lookup.h"
#include "maclookup/network_adapters.h"
#include "maclookup/rtnetlink_neighbour_source.h"
#include "netns_lab.h"

namespace {

// What a child reports back from one Get MAC cycle inside the namespace.
struct CycleReport {
    GetMacOutcome outcome;
    long long elapsedUs;
    char macText[6][3];
    int ready;
    int rowCount;
    ArpEntry rows[8];
    char debug[64];
    char messages[64];
};

// Runs a cycle on the named adapter, then reads that adapter's rows.
CycleReport RunCycle(const char* address, const char* adapter) {
    CycleReport report{};
    std::string debug;
    std::string messages;
    SetDebugSink([&debug](std::string_view text) { debug += std::string(text) + "|"; });
    MacHandOff = MacHandOffRecord{};
    const std::optional<int> index = FindHostAdapterIndex(adapter);
    const auto start = std::chrono::steady_clock::now();
    report.outcome = GetMacAddressOfHost(address, index,
                                         [&messages](const std::string& text) { messages += text; });
    report.elapsedUs = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
    for (int i = 0; i < 6; ++i) CopyText(report.macText[i], MacHandOff.macText[static_cast<std::size_t>(i)]);
    report.ready = MacHandOff.ready;
    RtnetlinkNeighbourSource table;
    CArpTableReader reader(table, [&messages](const std::string& text) { messages += text; });
    report.rowCount = index ? reader.ReadEntries(report.rows, 8, *index) : -1;
    CopyText(report.debug, debug);
    CopyText(report.messages, messages);
    return report;
}

// Leaves the child without CAP_NET_RAW after letting the groups in range use
// unprivileged ICMP sockets in this namespace.
bool DropRawSocketRight(const char* pingGroupRange) {
    std::ofstream("/proc/sys/net/ipv4/ping_group_range") << pingGroupRange;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    data[0].effective &= ~(1u << CAP_NET_RAW);
    data[0].permitted &= ~(1u << CAP_NET_RAW);
    return syscall(SYS_capset, &header, data) == 0;
}

class NetnsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!lab.Failure().empty()) GTEST_SKIP() << lab.Failure();
    }
    std::optional<CycleReport> Cycle(const char* address, const char* adapter) {
        return lab.InHost<CycleReport>([=] { return RunCycle(address, adapter); });
    }
    std::string Mac(const CycleReport& r) const {
        std::string text;
        for (const auto& byte : r.macText) text += std::string(byte) + " ";
        return text;
    }

    NetnsLab lab;
};

TEST_F(NetnsTest, AnsweringPeerIsFoundOnItsAdapterQuickly) {
    const auto report = Cycle("192.168.255.1", "lqa0");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->outcome, GetMacOutcome::Found);
    EXPECT_EQ(Mac(*report), "00 0C 29 3A 4B 5C ");
    EXPECT_EQ(report->ready, 1);
    EXPECT_NE(std::string(report->debug).find("192.168.255.1|00-0C-29-3A-4B-5C|"), std::string::npos)
        << report->debug;
    // The kernel's own row as the reader returns it: resolved, so dynamic.
    ASSERT_EQ(report->rowCount, 1);
    EXPECT_EQ(report->rows[0].type, 3u);
    EXPECT_EQ(report->rows[0].ipAddress[3], 1);
    EXPECT_EQ(report->rows[0].macAddress[5], 0x5C);
    // The reply ends the wait; it does not sit out the two seconds.
    EXPECT_LT(report->elapsedUs, 1000 * 1000);
    RecordProperty("answered_cycle_us", std::to_string(report->elapsedUs));
    std::printf("answered probe+lookup: %.3f ms\n", report->elapsedUs / 1000.0);
}

TEST_F(NetnsTest, PeerIsNotFoundOnAnotherAdapter) {
    const auto report = Cycle("192.168.255.1", "lqa1");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->outcome, GetMacOutcome::NotFound);
    EXPECT_EQ(report->ready, 0);
    EXPECT_EQ(Mac(*report), std::string(6, ' ')) << "MacHandOff untouched";
    // lqa1 holds only its own static row.
    ASSERT_EQ(report->rowCount, 1);
    EXPECT_EQ(report->rows[0].type, 4u);
    EXPECT_EQ(report->rows[0].ipAddress[3], 200);
    EXPECT_EQ(report->rows[0].macAddress[5], 0xC8);
}

TEST_F(NetnsTest, SilentAddressFailsAfterAboutTwoSeconds) {
    const auto report = Cycle("192.168.255.77", "lqa0");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->outcome, GetMacOutcome::ProbeFailed);
    EXPECT_EQ(std::string(report->debug), "4|");
    EXPECT_GE(report->elapsedUs, 1950 * 1000);
    EXPECT_LT(report->elapsedUs, 3000 * 1000);
    RecordProperty("silent_cycle_us", std::to_string(report->elapsedUs));
    std::printf("silent probe: %.3f ms\n", report->elapsedUs / 1000.0);
}

TEST_F(NetnsTest, OtherHostsRepliesDoNotCount) {
    // While ping gets replies from the peer, a probe of a silent address sees
    // them on its raw socket and must not take them for its own answer.
    FILE* ping = popen(("ip netns exec " + lab.HostNamespace() +
                        " ping -q -c 12 -i 0.2 192.168.255.1 2>&1").c_str(), "r");
    ASSERT_NE(ping, nullptr);
    usleep(300 * 1000);
    const auto report = Cycle("192.168.255.77", "lqa0");
    std::string pingOutput;
    char line[256];
    while (std::fgets(line, sizeof line, ping) != nullptr) pingOutput += line;
    pclose(ping);
    ASSERT_TRUE(report);
    EXPECT_NE(pingOutput.find(" 0% packet loss"), std::string::npos) << pingOutput;
    EXPECT_EQ(report->outcome, GetMacOutcome::ProbeFailed);
}

TEST_F(NetnsTest, UnprivilegedSocketWorksWhereTheGroupRangeAllowsIt) {
    const auto report = lab.InHost<CycleReport>([] {
        if (!DropRawSocketRight("0 0")) return CycleReport{};
        return RunCycle("192.168.255.1", "lqa0");
    });
    ASSERT_TRUE(report);
    EXPECT_EQ(report->outcome, GetMacOutcome::Found);
    EXPECT_EQ(Mac(*report), "00 0C 29 3A 4B 5C ");
}

TEST_F(NetnsTest, NoIcmpSocketAllowedIsReportedAsNoPermission) {
    const auto report = lab.InHost<CycleReport>([] {
        if (!DropRawSocketRight("1 0")) return CycleReport{};
        return RunCycle("192.168.255.1", "lqa0");
    });
    ASSERT_TRUE(report);
    EXPECT_EQ(report->outcome, GetMacOutcome::NoPermission);
    EXPECT_EQ(std::string(report->debug), "1|");
    EXPECT_EQ(report->ready, 0);
}

TEST_F(NetnsTest, UnparsableAddressIsRefusedBeforeSending) {
    struct Result {
        bool answered;
        char debug[16];
    };
    const auto result = lab.InHost<Result>([] {
        Result r{};
        std::string debug;
        SetDebugSink([&debug](std::string_view text) { debug += text; });
        CEchoProbe probe;
        r.answered = probe.Probe("192.168.255") || probe.Probe(nullptr);
        CopyText(r.debug, debug);
        return r;
    });
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->answered);
    EXPECT_EQ(std::string(result->debug), "22");
}

TEST_F(NetnsTest, ProbeOnTheWireHasAValidChecksum) {
    FILE* capture = popen(("ip netns exec " + lab.HostNamespace() +
                           " tshark -i lqa0 -l -n -a duration:8 -c 2 -f icmp -T fields"
                           " -e frame.len -e icmp.type -e icmp.checksum.status 2>&1")
                              .c_str(),
                          "r");
    ASSERT_NE(capture, nullptr);
    std::vector<std::string> lines;
    char line[512];
    bool started = false;
    while (!started && std::fgets(line, sizeof line, capture) != nullptr) {
        lines.emplace_back(line);
        started = lines.back().find("Capture started") != std::string::npos;
    }
    const auto report = started ? Cycle("192.168.255.1", "lqa0") : std::nullopt;
    while (std::fgets(line, sizeof line, capture) != nullptr) lines.emplace_back(line);
    pclose(capture);
    ASSERT_TRUE(started) << "tshark did not start capturing";
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
