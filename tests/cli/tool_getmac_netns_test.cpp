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

// Host namespace: "zlq0" (192.168.255.2/24) carries the route to the peer,
// while "alq1", whose only neighbour row is elsewhere, sorts first (before
// "lo" and "zlq0"): the default adapter must follow the route, not the order.
class GetMacNamespaces : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to create network namespaces";
        const std::string h = "ip -n " + host_ + " ", p = "ip -n " + peer_ + " ";
        const std::string script = "ip netns add " + host_ + " && ip netns add " + peer_ +
                                   " && ip link add zlq0 netns " + host_ + " type veth peer name blq0 netns " + peer_ +
                                   " && " + p + "link set blq0 address 00:0c:29:3a:4b:5c && " + p +
                                   "addr add 192.168.255.1/24 dev blq0 && " + p + "link set blq0 up && " + h +
                                   "addr add 192.168.255.2/24 dev zlq0 && " + h + "link set zlq0 up && " + h +
                                   "link set lo up && " + h + "link add alq1 type veth peer name alq2 && " + h +
                                   "neigh add 192.168.255.200 lladdr 02:00:00:00:00:c8 dev alq1 nud permanent";
        ASSERT_EQ(RunProgram({"sh", "-c", script}), (ToolRun{0, "", ""})) << "cannot build the namespaces";
    }
    void TearDown() override { RunProgram({"sh", "-c", "ip netns del " + host_ + "; ip netns del " + peer_}); }

    ToolRun InHost(const std::vector<std::string>& arguments) const {
        return RunLq3860ctl(arguments, {"ip", "netns", "exec", host_});
    }

    const std::string host_ = "lqcli" + std::to_string(getpid()) + "h";
    const std::string peer_ = "lqcli" + std::to_string(getpid()) + "p";
};

TEST_F(GetMacNamespaces, FindsThePeerOnTheNamedAdapterAndOnTheRoutesAdapterByDefault) {
    EXPECT_EQ(InHost({"getmac", "192.168.255.1", "--adapter", "zlq0"}), (ToolRun{0, "00-0C-29-3A-4B-5C\n", ""}));
    const ToolRun byDefault = InHost({"--json", "getmac", "192.168.255.1"});
    EXPECT_EQ(std::tuple(byDefault.status, DecodeJson(byDefault.out)),
              std::tuple(0, R"({"adapter":"zlq0","ip":"192.168.255.1","mac":"00-0C-29-3A-4B-5C"})"))
        << byDefault.err;
}

TEST_F(GetMacNamespaces, AddressNotFoundOnTheAdapterSilentHostAndNoRoute) {
    // The address is only in another adapter's rows; the adapter sorts first but is no default.
    EXPECT_EQ(InHost({"getmac", "192.168.255.1", "--adapter", "alq1"}),
              (ToolRun{4, "", "lq3860ctl: No entry for this address on this adapter.\n"}));
    // A silent host: the probe fails.
    EXPECT_EQ(InHost({"getmac", "192.168.255.77"}), (ToolRun{4, "", "lq3860ctl: Get MAC Address Error\n"}));
    // The namespace has no default route.
    EXPECT_EQ(InHost({"getmac", "10.1.2.3"}),
              (ToolRun{4, "", "lq3860ctl: no route to 10.1.2.3 (name the adapter with --adapter)\n"}));
}

}  // namespace

}  // namespace lq3860
