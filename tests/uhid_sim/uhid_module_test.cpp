// SPDX-License-Identifier: MIT
// The virtual module's side of /dev/uhid without the kernel: the device it
// creates, the output reports it takes and the input events it answers with.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "device/command_protocol.h"
#include "device/hid_device_table.h"
#include "simulated_module/module_behaviour.h"
#include "uhid_sim/report_descriptor.h"
#include "uhid_sim/uhid_module.h"

namespace lq3860 {

namespace {

// What the kernel's parser makes of a report descriptor: the top-level
// collections (usage page << 16 | usage), the input and output bits, whether
// report ids are used, the last logical minimum and maximum (signed), and
// whether every item and collection is complete.
using Parsed = std::tuple<std::vector<unsigned>, unsigned, unsigned, bool, std::pair<long, long>, bool>;
Parsed Walk(const std::uint8_t* data, std::size_t size) {
    std::vector<unsigned> collections;
    std::map<unsigned, unsigned> item;  // the last value of each item, by its prefix without the size bits
    unsigned bits[2] = {};              // input, output
    long range[2] = {};
    int depth = 0;
    for (std::size_t i = 0, length; i < size; i += 1 + length) {
        length = data[i] & 3 ? 1u << ((data[i] & 3) - 1) : 0;  // 0, 1, 2 or 4 data bytes
        if (i + 1 + length > size) return {collections, bits[0], bits[1], false, {}, false};
        const unsigned tag = data[i] & 0xFC;
        unsigned& value = item[tag] = 0;
        for (std::size_t b = 0; b < length; ++b) value |= unsigned(data[i + 1 + b]) << (8 * b);
        if (tag == 0x14 || tag == 0x24)  // logical minimum, maximum: their top bit is the sign
            range[tag == 0x24] = length && data[i + length] & 0x80 ? long(value) - (1L << 8 * length) : long(value);
        if (tag == 0xA0 && depth++ == 0) collections.push_back(item[0x04] << 16 | item[0x08]);      // page, usage
        if (tag == 0xC0 && depth-- == 0) return {collections, bits[0], bits[1], false, {}, false};  // no start
        if (tag == 0x80 || tag == 0x90) bits[tag == 0x90] += item[0x74] * item[0x94];               // size * count
    }
    return {collections, bits[0], bits[1], item.count(0x84) > 0, {range[0], range[1]}, depth == 0};
}

// Short replies are declared short (the kernel drops an input report shorter
// than its descriptor says); without report ids all reports of one type form
// one report, so a second collection must not add input or output bits.
TEST(VirtualModuleDevice, CreateRequestDescribesAUsbLq3860WithOptionalSecondCollection) {
    for (const auto& [second, payloadBytes] : {std::pair(false, -1), std::pair(true, -1), std::pair(false, 16)}) {
        SimOptions options;
        options.secondCollection = second;
        options.module.faults.replyPayloadBytes = payloadBytes;
        options.module.name = second ? "" : "Bench LQ";
        const auto& create = BuildCreateEvent(options, 3).u.create2;
        EXPECT_EQ(create.bus, BUS_USB) << second << payloadBytes;
        EXPECT_EQ(create.vendor, LQ3860_VENDOR_ID) << second << payloadBytes;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(create.name)), options.ProductName());
        // Each module of one process gets its own identity.
        EXPECT_STRNE(reinterpret_cast<const char*>(create.uniq),
                     reinterpret_cast<const char*>(BuildCreateEvent(options, 4).u.create2.uniq));
        const std::vector<unsigned> one = {0xFF000001u}, two = {0xFF000001u, 0xFF000000u | SECOND_COLLECTION_USAGE};
        EXPECT_EQ(
            Walk(create.rd_data, create.rd_size),
            Parsed(second ? two : one, (payloadBytes > 0 ? payloadBytes : 64) * 8, 64u * 8, false, {0, 255}, true));
    }
}

// Per command (read 1, read 2, firmware): the input events, each "x" and
// its payload bytes (the fault-free reply's first ones; "j" for junk, which
// differs from the reply and from the answer before), "+" the delay, "u"
// when the module is gone after it; then how many output reports were counted.
TEST(VirtualModuleFaults, FaultsShapeTheAnswerToEachCommand) {
    const std::tuple<ModuleFaults, std::string, int> rows[] = {
        {{}, "1x64 1x64 1x64 ", 3},
        {{.silent = true}, "0 0 0 ", 3},
        {{.unplugAfterReports = 2}, "1x64 1x64u 0u ", 2},
        {{.replyDelayMs = 2500}, "1x64+2500 1x64+2500 1x64+2500 ", 3},
        {{.doubleReplies = true}, "2x64x64 2x64x64 2x64x64 ", 3},
        {{.garbageReplies = true}, "1j64 1j64 1j64 ", 3},
        {{.replyPayloadBytes = 17}, "1x17 1x17 1x17 ", 3},  // the firmware reply up to the O of "OK"
    };
    for (const auto& [faults, expected, counted] : rows) {
        SimulatedModule simulated;
        simulated.faults = faults;
        UhidModule module(simulated);
        std::string summary, previous;
        for (const char* command : {CMD_READ_PARAMS1, CMD_READ_PARAMS2, CMD_FIRMWARE}) {
            HidReport sent{};
            BuildCommandReport(command, sent);
            uhid_event output{.type = UHID_OUTPUT, .u = {}};
            output.u.output.size = HID_REPORT_SIZE;
            std::memcpy(output.u.output.data, sent.data(), sent.size());
            const HidReport reply = ModuleBehaviour().HandleOutputReport(sent).value();
            const UhidModule::Response response = module.HandleEvent(output);
            summary += std::to_string(response.events.size());
            for (const uhid_event& event : response.events) {
                const std::string payload(reinterpret_cast<const char*>(event.u.input2.data), event.u.input2.size);
                const bool same = std::memcmp(payload.data(), reply.data() + 1, payload.size()) == 0;
                summary += (same ? "x" : payload != previous ? "j" : "?") + std::to_string(payload.size());
                previous = payload;
            }
            summary +=
                (response.delayMs ? "+" + std::to_string(response.delayMs) : "") + (response.unplug ? "u " : " ");
        }
        EXPECT_EQ(summary, expected);
        EXPECT_EQ(module.OutputReports(), counted) << expected;
    }
}

TEST(VirtualModuleEvents, FeatureRequestsAreRefusedInsteadOfLeftWaiting) {
    SimulatedModule simulated;
    UhidModule module(simulated);
    uhid_event get{.type = UHID_GET_REPORT, .u = {}}, set{.type = UHID_SET_REPORT, .u = {}};
    get.u.get_report.id = 41;
    set.u.set_report.id = 42;
    const uhid_event got = module.HandleEvent(get).events.at(0), put = module.HandleEvent(set).events.at(0);
    EXPECT_EQ(got.type, UHID_GET_REPORT_REPLY);
    EXPECT_EQ(got.u.get_report_reply.id, 41u);
    EXPECT_NE(got.u.get_report_reply.err, 0);
    EXPECT_EQ(put.type, UHID_SET_REPORT_REPLY);
    EXPECT_EQ(put.u.set_report_reply.id, 42u);
    EXPECT_NE(put.u.set_report_reply.err, 0);
}

}  // namespace

}  // namespace lq3860
