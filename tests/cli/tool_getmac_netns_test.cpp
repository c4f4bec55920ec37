// getmac as a process inside network namespaces of its own: a veth pair whose
// far end answers at 192.168.255.1 with MAC 00:0c:29:3a:4b:5c. Needs root;
// no traffic leaves the namespaces.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tool_process.h"

namespace lq3860 {

namespace {

// Host namespace: "alq0" (192.168.255.2/24, sorts before "lo", so it is the
// default adapter) and "zlq1", whose only neighbour row is elsewhere.
class GetMacNamespaces : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to create network namespaces";
        const std::string h = "ip -n " + host_ + " ", p = "ip -n " + peer_ + " ";
        const std::string script = "ip netns add " + host_ + " && ip netns add " + peer_ +
                                   " && ip link add alq0 netns " + host_ + " type veth peer name blq0 netns " + peer_ +
                                   " && " + p + "link set blq0 address 00:0c:29:3a:4b:5c && " + p +
                                   "addr add 192.168.255.1/24 dev blq0 && " + p + "link set blq0 up && " + h +
                                   "addr add 192.168.255.2/24 dev alq0 && " + h + "link set alq0 up && " + h +
                                   "link set lo up && " + h + "link add zlq1 type veth peer name zlq2 && " + h +
                                   "neigh add 192.168.255.200 lladdr 02:00:00:00:00:c8 dev zlq1 nud permanent";
        ASSERT_EQ(RunProgram({"sh", "-c", script}), (ToolRun{0, "", ""})) << "cannot build the namespaces";
    }
    void TearDown() override { RunProgram({"sh", "-c", "ip netns del " + host_ + "; ip netns del " + peer_}); }

    ToolRun InHost(const std::vector<std::string>& arguments) const {
        return RunLq3860ctl(arguments, {"ip", "netns", "exec", host_});
    }

    const std::string host_ = "lqcli" + std::to_string(getpid()) + "h";
    const std::string peer_ = "lqcli" + std::to_string(getpid()) + "p";
};

TEST_F(GetMacNamespaces, FindsThePeerOnTheNamedAndOnTheDefaultAdapter) {
    EXPECT_EQ(InHost({"getmac", "192.168.255.1", "--adapter", "alq0"}), (ToolRun{0, "00-0C-29-3A-4B-5C\n", ""}));
    const ToolRun byDefault = InHost({"--json", "getmac", "192.168.255.1"});
    EXPECT_EQ(std::tuple(byDefault.status, DecodeJson(byDefault.out)),
              std::tuple(0, R"({"adapter":"alq0","ip":"192.168.255.1","mac":"00-0C-29-3A-4B-5C"})"))
        << byDefault.err;
}

TEST_F(GetMacNamespaces, AddressNotFoundOnTheAdapter) {
    // The address is only in another adapter's rows.
    EXPECT_EQ(InHost({"getmac", "192.168.255.1", "--adapter", "zlq1"}),
              (ToolRun{4, "", "lq3860ctl: No entry for this address on this adapter.\n"}));
    // A silent host: the probe fails.
    EXPECT_EQ(InHost({"getmac", "192.168.255.77", "--adapter", "alq0"}),
              (ToolRun{4, "", "lq3860ctl: Get MAC Address Error\n"}));
}

}  // namespace

}  // namespace lq3860
