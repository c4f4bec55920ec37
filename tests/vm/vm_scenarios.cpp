// SPDX-License-Identifier: MIT
// Scenarios on the real kernel HID stack: run inside the test VM (as root,
// with uhid, hidraw and hid-generic loaded), where every module is an
// lq3860-sim process and the program reaches it through hidapi and hidraw.
#include "device/command_protocol.h"
#include "device/device_access.h"
#include "params/config_file.h"
#include "params/parameter_transfer.h"
#include "real_stack.h"
#include "simulated_module/module_behaviour.h"
#include "uhid_sim/report_descriptor.h"

namespace lq3860 {

namespace {

TEST_F(RealStack, ScanSkipsForeignVendorAndSecondCollectionAndNamelessModulesHaveNoName) {
    // Two collections of one hidraw node, a foreign device and a nameless module.
    ASSERT_TRUE(Plug({{"--second-collection", "--name", "LQ-3860 bench A"}, {"--vendor", "1234"}, {"--no-name"}}, 3));
    const auto interfaces = allVendors_.ListInterfaces();
    EXPECT_EQ(std::count_if(interfaces.begin(), interfaces.end(),
                            [](const auto& info) { return info.usage == SECOND_COLLECTION_USAGE; }),
              1);
    ASSERT_EQ(Scan(), 2);
    std::vector<std::string> names;
    for (int index : {0, 1}) {
        char name[HID_PRODUCT_NAME_SIZE] = "untouched";
        names.push_back(std::to_string(table_.HID_GetName(index, name, sizeof name)) + name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"0untouched", "1LQ-3860 bench A"}));
    EXPECT_EQ(table_.AccessDeniedCount(), 0);
}

TEST_F(RealStack, ElevenModulesListTheFirstTen) {
    ASSERT_TRUE(Plug({{"--count", "11"}}, 11));
    EXPECT_EQ(Scan(), HID_MAX_DEVICES);
    EXPECT_TRUE(table_.Path(HID_MAX_DEVICES - 1) != nullptr && table_.Path(HID_MAX_DEVICES) == nullptr);
}

TEST_F(RealStack, FirmwareAndSignalRepliesArriveIntact) {
    ASSERT_TRUE(PlugOneAndOpen({}));
    // Each whole payload comes through unshifted, as an LQ-3860 with default settings sends it.
    for (const char* command : {CMD_FIRMWARE, CMD_SIGNAL}) {
        HidReport sent{};
        BuildCommandReport(command, sent);
        const HidReport expected = ModuleBehaviour().HandleOutputReport(sent).value_or(HidReport{});
        ASSERT_TRUE(link_.ExchangeCommand(command, 0, reply_)) << command;
        EXPECT_TRUE(std::equal(reply_.begin() + 1, reply_.end(), expected.begin() + 1)) << command;
    }
}

TEST_F(RealStack, WrittenParametersReadBackAndSurviveARestart) {
    const Args stateFile = {"--state", "/tmp/lq3860-vm-state.txt"};
    std::remove(stateFile[1].c_str());
    const ModuleParamSet written{
        MODE_ADHOC, 13, 2, "kernel-path-20-chars", "abcdefghijklm", {2, 0x33, 0x64, 0x95, 0xC6, 0xF7}};
    ASSERT_TRUE(PlugOneAndOpen(stateFile));
    ASSERT_EQ(AnnounceUpload(link_, reply_), AnnounceOutcome::Acknowledged);
    ASSERT_TRUE(SendParamReports(link_, written, [](int) {}));
    for (int run : {1, 2}) {
        if (run == 2) {  // the module restarted
            link_.CloseLink();
            ASSERT_TRUE(Unplug() && PlugOneAndOpen(stateFile));
        }
        ModuleParamSet read{};
        ASSERT_TRUE(DownloadParams(link_, reply_, read, [](int) {})) << run;
        EXPECT_EQ(FormatConfiguration(read), FormatConfiguration(written)) << run;
    }
}

TEST_F(RealStack, SilentModuleHitsTheReadTimeLimit) {
    ASSERT_TRUE(PlugOneAndOpen({"--silent"}));
    FirmwareInfo info;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(link_.QueryFirmware(reply_, info), ReplyOutcome::LinkFailed);
    const long long waited = MillisecondsSince(start);
    EXPECT_TRUE(waited >= HID_READ_TIMEOUT_MS - 50 && waited < HID_READ_TIMEOUT_MS + 3000) << waited;
    EXPECT_EQ(std::make_pair(link_.deviceOpen, link_.rescanNeeded), std::make_pair(0, 1));
}

TEST_F(RealStack, ModuleUnpluggedDuringReadParaFailsTheDownload) {
    ASSERT_TRUE(PlugOneAndOpen({"--unplug-after", "1"}));
    ModuleParamSet params{};
    int lastPosition = -1;
    EXPECT_FALSE(DownloadParams(link_, reply_, params, [&](int position) { lastPosition = position; }));
    // The procedure still ran to its end, and the module is gone from the next scan.
    EXPECT_TRUE(link_.deviceOpen == 0 && lastPosition == 1000) << lastPosition;
    ASSERT_TRUE(WaitForHidrawNodes(0));
    EXPECT_EQ(Scan(), 0);
}

// The tool's reads and writes on real modules are robustness_scenarios' business.
TEST_F(RealStack, ToolListsRealModulesAndTellsOtherUsersHowToGetAccess) {
    ASSERT_TRUE(Plug({{"--name", "LQ-3860 tool"}, {"--no-name"}}, 2));
    // The device nodes are root's alone (crw-------): another user is told how to get access.
    EXPECT_EQ(RunProgram(CTL, {"list"}, 65534), "0||lq3860ctl: " + std::string(DEVICE_ACCESS_DENIED_MESSAGE) + "\n");
    // The nameless module is listed as "Device ...".
    EXPECT_TRUE(Succeeded(RunProgram(CTL, {"list"}), {"\tLQ-3860 tool\t/dev/hidraw", "\tDevice "}));
}

TEST_F(RealStack, UdevRuleTagsOnlyOurModulesForTheSeat) {
    if (access(UDEVADM, X_OK) != 0) GTEST_SKIP() << "udevadm is not part of this guest";
    ASSERT_TRUE(Plug({{}, {"--vendor", "1234"}}, 2));
    std::string taggedVendors;
    for (const HidInterfaceInfo& info : allVendors_.ListInterfaces()) {
        const std::string node = info.path.substr(info.path.rfind('/') + 1);  // hidrawN
        const std::string test = RunProgram(UDEVADM, {"test", "--action=add", "/sys/class/hidraw/" + node});
        ASSERT_TRUE(Succeeded(test, {}));
        if (test.find(":uaccess:") != std::string::npos) taggedVendors += std::to_string(info.vendorId) + " ";  // TAGS=
    }
    EXPECT_EQ(taggedVendors, std::to_string(LQ3860_VENDOR_ID) + " ");
}

}  // namespace

}  // namespace lq3860
