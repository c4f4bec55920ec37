#include "netns_lab.h"

#include <fcntl.h>
#include <sched.h>

#include <cstdlib>

namespace {

bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

NetnsLab::NetnsLab() {
    if (geteuid() != 0) {
        failure = "needs root to create network namespaces";
        return;
    }
    const std::string id = std::to_string(getpid());
    hostName = "lqmac" + id + "h";
    peerName = "lqmac" + id + "p";
    if (!Run("ip netns add " + hostName) || !Run("ip netns add " + peerName)) {
        failure = "cannot create network namespaces";
        return;
    }
    const std::string host = "ip -n " + hostName + " ";
    const std::string peer = "ip -n " + peerName + " ";
    const char* failedStep = nullptr;
    if (!Run("ip link add lqa0 netns " + hostName + " type veth peer name lqb0 netns " + peerName))
        failedStep = "veth pair";
    else if (!Run(peer + "link set lqb0 address 00:0c:29:3a:4b:5c") ||
             !Run(peer + "addr add 192.168.255.1/24 dev lqb0") || !Run(peer + "link set lqb0 up") ||
             !Run(peer + "link set lo up"))
        failedStep = "peer side";
    else if (!Run(host + "addr add 192.168.255.2/24 dev lqa0") || !Run(host + "link set lqa0 up") ||
             !Run(host + "link set lo up"))
        failedStep = "host side";
    else if (!Run(host + "link add lqa1 type veth peer name lqa2") ||
             !Run(host + "neigh add 192.168.255.200 lladdr 02:00:00:00:00:c8 dev lqa1 nud permanent"))
        failedStep = "second adapter";
    if (failedStep != nullptr) failure = std::string("cannot set up the ") + failedStep;
}

NetnsLab::~NetnsLab() {
    if (!hostName.empty()) Run("ip netns del " + hostName);
    if (!peerName.empty()) Run("ip netns del " + peerName);
}

bool NetnsLab::RunInHost(const std::string& command) const {
    return Run("ip netns exec " + hostName + " " + command);
}

bool NetnsLab::EnterHostNamespace() const {
    const int fd = open(("/run/netns/" + hostName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool entered = setns(fd, CLONE_NEWNET) == 0;
    close(fd);
    return entered;
}
