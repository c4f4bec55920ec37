// getmac as a process inside network namespaces of its own: a veth pair whose
// far end answers at 192.168.255.1 with MAC 00:0c:29:3a:4b:5c. Needs root;
// no traffic leaves the namespaces.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tool_process.h"

namespace {

bool Quiet(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// Host namespace: "alq0" (192.168.255.2/24, sorts before "lo", so it is the
// default adapter) and "zlq1", whose only neighbour row is elsewhere.
class GetMacNamespaces : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to create network namespaces";
        const std::string id = std::to_string(getpid());
        host_ = "lqcli" + id + "h";
        peer_ = "lqcli" + id + "p";
        const std::string h = "ip -n " + host_ + " ";
        const std::string p = "ip -n " + peer_ + " ";
        const bool up = Quiet("ip netns add " + host_) && Quiet("ip netns add " + peer_) &&
                        Quiet("ip link add alq0 netns " + host_ + " type veth peer name blq0 netns " + peer_) &&
                        Quiet(p + "link set blq0 address 00:0c:29:3a:4b:5c") &&
                        Quiet(p + "addr add 192.168.255.1/24 dev blq0") && Quiet(p + "link set blq0 up") &&
                        Quiet(h + "addr add 192.168.255.2/24 dev alq0") && Quiet(h + "link set alq0 up") &&
                        Quiet(h + "link set lo up") && Quiet(h + "link add zlq1 type veth peer name zlq2") &&
                        Quiet(h + "neigh add 192.168.255.200 lladdr 02:00:00:00:00:c8 dev zlq1 nud permanent");
        ASSERT_TRUE(up) << "cannot build the namespaces";
    }
    void TearDown() override {
        if (!host_.empty()) Quiet("ip netns del " + host_);
        if (!peer_.empty()) Quiet("ip netns del " + peer_);
    }

    ToolRun InHost(const std::vector<std::string>& arguments) const {
        std::vector<std::string> argv{"ip", "netns", "exec", host_, LQ3860CTL_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return RunProgram(argv);
    }

    std::string host_;
    std::string peer_;
};

TEST_F(GetMacNamespaces, FindsThePeerOnTheNamedAndOnTheDefaultAdapter) {
    const ToolRun named = InHost({"getmac", "192.168.255.1", "--adapter", "alq0"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, "00-0C-29-3A-4B-5C\n");

    const ToolRun byDefault = InHost({"--json", "getmac", "192.168.255.1"});
    EXPECT_EQ(byDefault.status, 0) << byDefault.err;
    EXPECT_EQ(DecodeJson(byDefault.out), R"({"adapter":"alq0","ip":"192.168.255.1","mac":"00-0C-29-3A-4B-5C"})");
}

TEST_F(GetMacNamespaces, AddressOnlyInAnotherAdaptersRowsIsNotFound) {
    const ToolRun run = InHost({"getmac", "192.168.255.1", "--adapter", "zlq1"});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_FALSE(run.err.empty());
}

TEST_F(GetMacNamespaces, SilentHostIsAProbeFailure) {
    const ToolRun run = InHost({"getmac", "192.168.255.77", "--adapter", "alq0"});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "Get MAC Address Error\n");
    EXPECT_TRUE(run.out.empty());
}

TEST_F(GetMacNamespaces, UnknownAdapterOrAddressIsWrongUsage) {
    EXPECT_EQ(InHost({"getmac", "192.168.255.1", "--adapter", "nosuch0"}).status, 2);
    EXPECT_EQ(InHost({"getmac", "192.168.255.256"}).status, 2);
    EXPECT_EQ(InHost({"getmac", "192.168.255"}).status, 2);
}

}  // namespace
