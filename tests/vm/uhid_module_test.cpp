#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "device/command_protocol.h"
#include "device/hid_device_table.h"
#include "device/module_behaviour.h"
#include "sim/report_descriptor.h"
#include "sim/uhid_module.h"

namespace {

// What the kernel's parser makes of a report descriptor: the top-level
// collections and the size in bits of each report type.
struct DescriptorView {
    std::vector<std::pair<unsigned, unsigned>> topLevelUsages;  // (usage page, usage)
    unsigned inputBits = 0, outputBits = 0, featureBits = 0;
    bool usesReportIds = false;
    bool wellFormed = true;
};

DescriptorView Walk(const std::uint8_t* data, std::size_t size) {
    DescriptorView view;
    unsigned usagePage = 0, usage = 0, reportSize = 0, reportCount = 0;
    int depth = 0;
    for (std::size_t i = 0; i < size;) {
        const std::uint8_t prefix = data[i];
        const std::size_t length = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + length > size) {
            view.wellFormed = false;
            break;
        }
        unsigned value = 0;
        for (std::size_t b = 0; b < length; ++b) value |= unsigned(data[i + 1 + b]) << (8 * b);
        const unsigned type = (prefix >> 2) & 3, tag = prefix >> 4;
        if (type == 1) {  // global
            if (tag == 0) usagePage = value;
            if (tag == 7) reportSize = value;
            if (tag == 8) view.usesReportIds = true;
            if (tag == 9) reportCount = value;
        } else if (type == 2 && tag == 0) {  // local usage
            usage = value;
        } else if (type == 0) {  // main
            if (tag == 0xA) {
                if (depth++ == 0) view.topLevelUsages.emplace_back(usagePage, usage);
            } else if (tag == 0xC) {
                view.wellFormed = view.wellFormed && depth-- > 0;
            } else if (tag == 0x8) {
                view.inputBits += reportSize * reportCount;
            } else if (tag == 0x9) {
                view.outputBits += reportSize * reportCount;
            } else if (tag == 0xB) {
                view.featureBits += reportSize * reportCount;
            }
        }
        i += 1 + length;
    }
    view.wellFormed = view.wellFormed && depth == 0;
    return view;
}

uhid_event Output(const HidReport& report, std::size_t size = HID_REPORT_SIZE) {
    uhid_event event{};
    event.type = UHID_OUTPUT;
    event.u.output.size = static_cast<__u16>(size);
    event.u.output.rtype = UHID_OUTPUT_REPORT;
    std::memcpy(event.u.output.data, report.data(), std::min(size, report.size()));
    return event;
}

uhid_event Command(const char* text) {
    HidReport report{};
    BuildCommandReport(text, report);
    return Output(report);
}

// The input report the host reads back: report id 0, then the 64 bytes the
// module sent.
HidReport AsHostSeesIt(const uhid_event& input) {
    HidReport report{};
    EXPECT_EQ(input.type, UHID_INPUT2);
    EXPECT_EQ(input.u.input2.size, HID_REPORT_SIZE - 1);
    std::memcpy(report.data() + 1, input.u.input2.data, HID_REPORT_SIZE - 1);
    return report;
}

TEST(VirtualModuleDevice, CreateRequestDescribesAUsbLq3860) {
    SimOptions options;
    options.name = "Bench LQ";
    const uhid_event event = BuildCreateEvent(options, 3);
    const auto& create = event.u.create2;
    EXPECT_EQ(event.type, UHID_CREATE2);
    EXPECT_EQ(create.bus, BUS_USB);
    EXPECT_EQ(create.vendor, LQ3860_VENDOR_ID);
    EXPECT_EQ(create.product, 0x3860u);
    EXPECT_STREQ(reinterpret_cast<const char*>(create.name), "Bench LQ");
    // Each module of one process gets its own identity.
    EXPECT_STRNE(reinterpret_cast<const char*>(create.uniq),
                 reinterpret_cast<const char*>(BuildCreateEvent(options, 4).u.create2.uniq));

    const DescriptorView view = Walk(create.rd_data, create.rd_size);
    ASSERT_TRUE(view.wellFormed);
    ASSERT_EQ(view.topLevelUsages.size(), 1u);
    EXPECT_EQ(view.topLevelUsages[0], std::make_pair(0xFF00u, 0x0001u));
    EXPECT_EQ(view.inputBits, 64u * 8);
    EXPECT_EQ(view.outputBits, 64u * 8);
    EXPECT_FALSE(view.usesReportIds);
}

TEST(VirtualModuleDevice, SecondCollectionAddsAnotherUsageAndKeeps64ByteReports) {
    SimOptions options;
    options.secondCollection = true;
    options.vendorId = 0x1234;
    options.name.clear();
    const uhid_event event = BuildCreateEvent(options, 0);
    EXPECT_EQ(event.u.create2.vendor, 0x1234u);
    EXPECT_EQ(event.u.create2.name[0], 0);
    const DescriptorView view = Walk(event.u.create2.rd_data, event.u.create2.rd_size);
    ASSERT_TRUE(view.wellFormed);
    ASSERT_EQ(view.topLevelUsages.size(), 2u);
    EXPECT_EQ(view.topLevelUsages[1], std::make_pair(0xFF00u, unsigned{SECOND_COLLECTION_USAGE}));
    // Without report ids all reports of one type form one report, so the
    // second collection must not add input or output bits.
    EXPECT_EQ(view.inputBits, 64u * 8);
    EXPECT_EQ(view.outputBits, 64u * 8);
    EXPECT_FALSE(view.usesReportIds);
}

TEST(VirtualModuleFraming, OutputWithLeadingReportIdReachesTheModuleUnshifted) {
    HidReport sent{};
    BuildCommandReport(CMD_READ_PARAMS1, sent);
    const HidReport seen = OutputToReport(sent.data(), sent.size());
    EXPECT_EQ(seen, sent);
}

TEST(VirtualModuleFraming, OverlongOutputIsCutAndShortOutputZeroFilled) {
    std::uint8_t overlong[80];
    std::memset(overlong, 'x', sizeof overlong);
    const HidReport cut = OutputToReport(overlong, sizeof overlong);
    EXPECT_EQ(cut[64], 'x');

    const std::uint8_t shortReport[3] = {0, 'A', 'T'};
    const HidReport filled = OutputToReport(shortReport, sizeof shortReport);
    EXPECT_EQ(filled[2], 'T');
    for (std::size_t i = 3; i < filled.size(); ++i) EXPECT_EQ(filled[i], 0) << i;
}

TEST(VirtualModuleFraming, FirmwareReplyArrivesWithOkAtBytes17And18) {
    ModuleBehaviour behaviour;
    behaviour.SetFirmware('2', '7', "130520");
    UhidModule module(behaviour, false, -1);
    const UhidModule::Response response = module.HandleEvent(Command(CMD_FIRMWARE));
    ASSERT_EQ(response.events.size(), 1u);
    EXPECT_FALSE(response.unplug);
    FirmwareInfo info;
    ASSERT_TRUE(DecodeFirmwareReply(AsHostSeesIt(response.events[0]), info));
    EXPECT_EQ(info.versionText, "2.7");
    EXPECT_EQ(info.dateText, "2013/05/20 ");
}

TEST(VirtualModuleFraming, ParameterReplyCarriesTheWholeSsidField) {
    ModuleBehaviour behaviour;
    ModuleParamSet params = behaviour.Params();
    StoreParamText(params.ssid, "ABCDEFGHIJKLMNOPQRST");  // all 20 bytes of the field
    params.mac[5] = 0xEE;
    behaviour.SetParams(params);
    UhidModule module(behaviour, false, -1);
    const UhidModule::Response response = module.HandleEvent(Command(CMD_READ_PARAMS1));
    ASSERT_EQ(response.events.size(), 1u);
    ModuleParamSet taken{};
    TakeParamReport1(AsHostSeesIt(response.events[0]), taken);
    EXPECT_STREQ(taken.ssid, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(taken.mac[5], 0xEE);
    EXPECT_EQ(taken.encryption, params.encryption);
}

TEST(VirtualModuleFraming, UploadThroughUhidStoresTheParameters) {
    ModuleBehaviour behaviour;
    UhidModule module(behaviour, false, -1);
    const UhidModule::Response ack = module.HandleEvent(Command(CMD_ANNOUNCE_UPLOAD));
    ASSERT_EQ(ack.events.size(), 1u);
    EXPECT_TRUE(IsUploadAcknowledged(AsHostSeesIt(ack.events[0])));

    ModuleParamSet params{};
    params.mode = MODE_ADHOC;
    params.channel = 11;
    params.encryption = 2;
    StoreParamText(params.ssid, "uhid-net");
    StoreParamText(params.key, "0123456789");
    HidReport first{}, second{};
    BuildParamReport1(params, first);
    BuildParamReport2(params, second);
    EXPECT_TRUE(module.HandleEvent(Output(first)).events.empty());
    EXPECT_TRUE(module.HandleEvent(Output(second)).events.empty());

    EXPECT_EQ(behaviour.Params().channel, 11);
    EXPECT_EQ(behaviour.Params().mode, MODE_ADHOC);
    EXPECT_STREQ(behaviour.Params().ssid, "uhid-net");
    EXPECT_STREQ(behaviour.Params().key, "0123456789");
}

TEST(VirtualModuleFaults, SilentModuleTakesReportsButNeverAnswers) {
    ModuleBehaviour behaviour;
    UhidModule module(behaviour, true, -1);
    EXPECT_TRUE(module.HandleEvent(Command(CMD_FIRMWARE)).events.empty());
    EXPECT_TRUE(module.HandleEvent(Command(CMD_SIGNAL)).events.empty());
    EXPECT_EQ(module.OutputReports(), 2);
}

TEST(VirtualModuleFaults, UnplugsRightAfterAnsweringTheLastAllowedReport) {
    ModuleBehaviour behaviour;
    UhidModule module(behaviour, false, 2);
    const UhidModule::Response first = module.HandleEvent(Command(CMD_READ_PARAMS1));
    EXPECT_EQ(first.events.size(), 1u);
    EXPECT_FALSE(first.unplug);
    const UhidModule::Response second = module.HandleEvent(Command(CMD_READ_PARAMS2));
    EXPECT_EQ(second.events.size(), 1u);
    EXPECT_TRUE(second.unplug);
    const UhidModule::Response late = module.HandleEvent(Command(CMD_FIRMWARE));
    EXPECT_TRUE(late.events.empty());
    EXPECT_TRUE(late.unplug);
}

TEST(VirtualModuleFaults, UnplugAfterZeroLeavesAtTheFirstReportUnanswered) {
    ModuleBehaviour behaviour;
    UhidModule module(behaviour, false, 0);
    const UhidModule::Response response = module.HandleEvent(Command(CMD_FIRMWARE));
    EXPECT_TRUE(response.events.empty());
    EXPECT_TRUE(response.unplug);
}

TEST(VirtualModuleEvents, FeatureRequestsAreRefusedInsteadOfLeftWaiting) {
    ModuleBehaviour behaviour;
    UhidModule module(behaviour, false, -1);
    uhid_event get{};
    get.type = UHID_GET_REPORT;
    get.u.get_report.id = 41;
    const UhidModule::Response getResponse = module.HandleEvent(get);
    ASSERT_EQ(getResponse.events.size(), 1u);
    EXPECT_EQ(getResponse.events[0].type, UHID_GET_REPORT_REPLY);
    EXPECT_EQ(getResponse.events[0].u.get_report_reply.id, 41u);
    EXPECT_NE(getResponse.events[0].u.get_report_reply.err, 0);

    uhid_event set{};
    set.type = UHID_SET_REPORT;
    set.u.set_report.id = 42;
    const UhidModule::Response setResponse = module.HandleEvent(set);
    ASSERT_EQ(setResponse.events.size(), 1u);
    EXPECT_EQ(setResponse.events[0].type, UHID_SET_REPORT_REPLY);
    EXPECT_EQ(setResponse.events[0].u.set_report_reply.id, 42u);
    EXPECT_NE(setResponse.events[0].u.set_report_reply.err, 0);
}

}  // namespace
