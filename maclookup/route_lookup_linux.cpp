// SPDX-License-Identifier: MIT
// The route to an address on Linux: one RTM_GETROUTE query through libnl,
// answered by the kernel's own route lookup (as "ip route get" does).
#include <arpa/inet.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <netlink/attr.h>
#include <netlink/msg.h>
#include <netlink/netlink.h>
#include <netlink/socket.h>
#include <sys/socket.h>

#include <memory>

#include "maclookup/route_lookup.h"

namespace lq3860 {

namespace {

struct SocketDeleter {
    void operator()(nl_sock* socket) const { nl_socket_free(socket); }
};
struct MessageDeleter {
    void operator()(nl_msg* message) const { nlmsg_free(message); }
};

// Takes the output interface of the kernel's RTM_NEWROUTE answer.
int TakeOutputInterface(nl_msg* message, void* result) {
    nlmsghdr* header = nlmsg_hdr(message);
    nlattr* attributes[RTA_MAX + 1] = {};
    if (header->nlmsg_type != RTM_NEWROUTE || nlmsg_parse(header, sizeof(rtmsg), attributes, RTA_MAX, nullptr) < 0 ||
        attributes[RTA_OIF] == nullptr)
        return NL_SKIP;
    const auto* route = static_cast<const rtmsg*>(nlmsg_data(header));
    if (route->rtm_type != RTN_UNICAST && route->rtm_type != RTN_LOCAL) return NL_SKIP;
    *static_cast<std::optional<int>*>(result) = static_cast<int>(nla_get_u32(attributes[RTA_OIF]));
    return NL_STOP;
}

}  // namespace

std::optional<int> RouteInterfaceFor(const std::string& ipv4) {
    in_addr destination{};
    if (inet_pton(AF_INET, ipv4.c_str(), &destination) != 1) return std::nullopt;

    const std::unique_ptr<nl_sock, SocketDeleter> socket(nl_socket_alloc());
    if (!socket || nl_connect(socket.get(), NETLINK_ROUTE) < 0) return std::nullopt;
    nl_socket_disable_auto_ack(socket.get());  // the answer itself is the acknowledgement

    const std::unique_ptr<nl_msg, MessageDeleter> request(nlmsg_alloc_simple(RTM_GETROUTE, NLM_F_REQUEST));
    rtmsg header{};
    header.rtm_family = AF_INET;
    header.rtm_dst_len = 32;
    if (!request || nlmsg_append(request.get(), &header, sizeof header, NLMSG_ALIGNTO) < 0 ||
        nla_put(request.get(), RTA_DST, sizeof destination, &destination) < 0 ||
        nl_send_auto(socket.get(), request.get()) < 0)
        return std::nullopt;

    // No route: the kernel answers with an error, which ends the receive.
    std::optional<int> interfaceIndex;
    if (nl_socket_modify_cb(socket.get(), NL_CB_VALID, NL_CB_CUSTOM, TakeOutputInterface, &interfaceIndex) < 0 ||
        nl_recvmsgs_default(socket.get()) < 0)
        return std::nullopt;
    return interfaceIndex;
}

}  // namespace lq3860
