// SPDX-License-Identifier: MIT
// The virtual module's side of /dev/uhid without the kernel: the device it
// creates, the output reports it takes and the input events it answers with.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "device/command_protocol.h"
#include "device/hid_device_table.h"
#include "simulated_module/module_behaviour.h"
#include "simulated_module/simulated_module.h"
#include "uhid_sim/report_descriptor.h"
#include "uhid_sim/uhid_module.h"

namespace lq3860 {

namespace {

// What the kernel's parser makes of a report descriptor: the top-level
// collections (usage page << 16 | usage), the input and output bits, whether
// report ids are used, and whether every item and collection is complete
// with every field carrying whole bytes (logical 0..255).
std::tuple<std::vector<unsigned>, unsigned, unsigned, bool, bool> Walk(const std::uint8_t* data, std::size_t size) {
    std::vector<unsigned> collections;
    std::map<unsigned, unsigned> item;  // the last value of each item, by its prefix without the size bits
    unsigned inputBits = 0, outputBits = 0;
    int depth = 0;
    bool wellFormed = true;
    for (std::size_t i = 0, length; i < size; i += 1 + length) {
        length = data[i] & 3 ? 1u << ((data[i] & 3) - 1) : 0;  // 0, 1, 2 or 4 data bytes
        if (i + 1 + length > size) return {collections, inputBits, outputBits, false, false};
        const unsigned tag = data[i] & 0xFC;
        unsigned& value = item[tag] = 0;
        for (std::size_t b = 0; b < length; ++b) value |= unsigned(data[i + 1 + b]) << (8 * b);
        if (tag == 0xA0 && depth++ == 0) collections.push_back(item[0x04] << 16 | item[0x08]);  // page, usage
        if (tag == 0xC0) wellFormed = wellFormed && depth-- > 0;
        if (tag == 0x80 || tag == 0x90) {
            (tag == 0x80 ? inputBits : outputBits) += item[0x74] * item[0x94];  // size*count
            wellFormed = wellFormed && item[0x14] == 0 && item[0x24] == 255;    // logical minimum, maximum
        }
    }
    return {collections, inputBits, outputBits, item.count(0x84) > 0, wellFormed && depth == 0};
}

// The kernel's event for a command the program sent.
uhid_event OutputEvent(const char* command) {
    uhid_event output{.type = UHID_OUTPUT, .u = {}};
    output.u.output.size = HID_REPORT_SIZE;
    HidReport report{};
    BuildCommandReport(command, report);
    std::memcpy(output.u.output.data, report.data(), report.size());
    return output;
}

TEST(VirtualModuleDevice, CreateRequestDescribesAUsbLq3860WithOptionalSecondCollection) {
    // Short replies are declared short: the kernel drops an input report
    // shorter than its descriptor says.
    for (const auto& [second, payloadBytes] : {std::pair(false, -1), std::pair(true, -1), std::pair(false, 16)}) {
        SCOPED_TRACE(second * 100 + payloadBytes);
        SimOptions options;
        options.secondCollection = second;
        options.module.faults.replyPayloadBytes = payloadBytes;
        options.module.name = second ? "" : "Bench LQ";
        const auto& create = BuildCreateEvent(options, 3).u.create2;
        EXPECT_EQ(create.bus, BUS_USB);
        EXPECT_EQ(create.vendor, LQ3860_VENDOR_ID);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(create.name)), options.ProductName());
        // Each module of one process gets its own identity.
        EXPECT_STRNE(reinterpret_cast<const char*>(create.uniq),
                     reinterpret_cast<const char*>(BuildCreateEvent(options, 4).u.create2.uniq));
        // Without report ids all reports of one type form one report, so a
        // second collection must not add input or output bits.
        std::vector<unsigned> collections = {0xFF000001u};
        if (second) collections.push_back(0xFF000000u | SECOND_COLLECTION_USAGE);
        const unsigned inputBits = (payloadBytes > 0 ? payloadBytes : 64) * 8;
        EXPECT_EQ(Walk(create.rd_data, create.rd_size), std::make_tuple(collections, inputBits, 64u * 8, false, true));
    }
}

TEST(VirtualModuleFraming, OutputKeepsItsReportIdAndIsCutOrZeroFilledTo65Bytes) {
    HidReport sent{}, allX;
    BuildCommandReport(CMD_READ_PARAMS1, sent);
    allX.fill('x');
    std::uint8_t overlong[80], shortReport[3] = {0, 'A', 'T'};
    std::memset(overlong, 'x', sizeof overlong);
    EXPECT_EQ(OutputToReport(sent.data(), sent.size()), sent);
    EXPECT_EQ(OutputToReport(overlong, sizeof overlong), allX);
    EXPECT_EQ(OutputToReport(shortReport, sizeof shortReport), (HidReport{0, 'A', 'T'}));
}

std::string PayloadOf(const uhid_event& event) {
    return std::string(reinterpret_cast<const char*>(event.u.input2.data), event.u.input2.size);
}

// The payload (bytes 1..64) of a fault-free module's reply to the output.
std::string ReplyPayload(const uhid_event& output) {
    const HidReport reply =
        ModuleBehaviour().HandleOutputReport(OutputToReport(output.u.output.data, HID_REPORT_SIZE)).value();
    return std::string(reinterpret_cast<const char*>(reply.data()) + 1, HID_REPORT_SIZE - 1);
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
        {{.unplugAfterReports = 0}, "0u 0u 0u ", 0},
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
            const uhid_event output = OutputEvent(command);
            const UhidModule::Response response = module.HandleEvent(output);
            summary += std::to_string(response.events.size());
            for (const uhid_event& event : response.events) {
                const std::string payload = PayloadOf(event);
                const bool reply = payload == ReplyPayload(output).substr(0, payload.size());
                summary += (reply ? "x" : payload != previous ? "j" : "?") + std::to_string(payload.size());
                previous = payload;
            }
            if (response.delayMs != 0) summary += "+" + std::to_string(response.delayMs);
            summary += response.unplug ? "u " : " ";
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
    EXPECT_TRUE(got.u.get_report_reply.id == 41 && got.u.get_report_reply.err != 0);
    EXPECT_EQ(put.type, UHID_SET_REPORT_REPLY);
    EXPECT_TRUE(put.u.set_report_reply.id == 42 && put.u.set_report_reply.err != 0);
}

}  // namespace

}  // namespace lq3860
