// SPDX-License-Identifier: MIT
#include "uhid_sim/uhid_module.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "uhid_sim/report_descriptor.h"

namespace lq3860 {

namespace {

template <std::size_t N>
void CopyText(std::uint8_t (&destination)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(destination, text.data(), length);
    destination[length] = 0;
}

uhid_event ErrorReply(__u32 type, __u32 id) {
    uhid_event reply{};
    reply.type = type;
    if (type == UHID_GET_REPORT_REPLY) {
        reply.u.get_report_reply.id = id;
        reply.u.get_report_reply.err = EIO;
    } else {
        reply.u.set_report_reply.id = id;
        reply.u.set_report_reply.err = EIO;
    }
    return reply;
}

}  // namespace

uhid_event BuildCreateEvent(const SimOptions& options, int index) {
    uhid_event event{};
    event.type = UHID_CREATE2;
    auto& create = event.u.create2;
    CopyText(create.name, options.ProductName());
    CopyText(create.phys, "lq3860-uhid_sim/" + std::to_string(index));
    CopyText(create.uniq, "LQ3860SIM" + std::to_string(index));
    const std::vector<std::uint8_t> descriptor =
        BuildReportDescriptor(options.secondCollection, options.InputReportBytes());
    std::copy(descriptor.begin(), descriptor.end(), create.rd_data);
    create.rd_size = static_cast<__u16>(descriptor.size());
    create.bus = BUS_USB;
    create.vendor = options.vendorId;
    create.product = options.productId;
    create.version = 0x0100;
    return event;
}

HidReport OutputToReport(const std::uint8_t* data, std::size_t size) {
    HidReport report{};
    std::copy_n(data, std::min(size, report.size()), report.begin());
    return report;
}

uhid_event BuildInputEvent(const HidReport& report, std::size_t payloadBytes) {
    uhid_event event{};
    event.type = UHID_INPUT2;
    const std::size_t size = std::min(payloadBytes, HID_REPORT_SIZE - 1);
    event.u.input2.size = static_cast<__u16>(size);
    std::copy_n(report.begin() + 1, size, event.u.input2.data);
    return event;
}

UhidModule::Response UhidModule::HandleEvent(const uhid_event& event) {
    Response response;
    switch (event.type) {
        case UHID_OUTPUT: {
            const auto& output = event.u.output;
            const std::size_t size = std::min<std::size_t>(output.size, UHID_DATA_MAX);
            const SimulatedModule::Response answer = module_.HandleOutputReport(OutputToReport(output.data, size));
            for (const HidReport& reply : answer.replies) {
                response.events.push_back(BuildInputEvent(reply, answer.payloadBytes));
            }
            response.delayMs = answer.delayMs;
            response.unplug = answer.unplugged;
            break;
        }
        case UHID_GET_REPORT:
            // Feature reports are not part of the module's protocol.
            response.events.push_back(ErrorReply(UHID_GET_REPORT_REPLY, event.u.get_report.id));
            break;
        case UHID_SET_REPORT:
            response.events.push_back(ErrorReply(UHID_SET_REPORT_REPLY, event.u.set_report.id));
            break;
        default: break;  // UHID_START, UHID_STOP, UHID_OPEN, UHID_CLOSE: nothing to do
    }
    return response;
}

}  // namespace lq3860
