// SPDX-License-Identifier: MIT
// Scenarios on the real kernel HID stack: run inside the test VM (as root,
// with uhid, hidraw and hid-generic loaded), where every module is an
// lq3860-sim process and the program reaches it through hidapi and hidraw.
#include "device/device_messages.h"
#include "guest_programs.h"
#include "params/config_file.h"
#include "simulated_module/module_behaviour.h"
#include "uhid_sim/report_descriptor.h"

namespace lq3860 {

namespace {

// Two collections of one hidraw node and a foreign device. A nameless
// module: ToolListsRealModulesAndTellsOtherUsersHowToGetAccess.
TEST_F(RealStack, ScanSkipsForeignVendorAndSecondCollection) {
    ASSERT_TRUE(Plug({{"--second-collection", "--name", "LQ-3860 bench A"}, {"--vendor", "1234"}}, 2));
    EXPECT_EQ(std::ranges::count(allVendors_.ListInterfaces(), SECOND_COLLECTION_USAGE, &HidInterfaceInfo::usage), 1);
    ASSERT_EQ(Scan(), 1);
    char name[HID_PRODUCT_NAME_SIZE] = "untouched";
    EXPECT_EQ(table_.HID_GetName(0, name, sizeof name), 1);
    EXPECT_STREQ(name, "LQ-3860 bench A");
    EXPECT_EQ(table_.AccessDeniedCount(), 0);
}

// Parameters written and read back through the kernel, replies through the
// kernel, time limits, unplugged modules and faulty replies:
// robustness_scenarios.
TEST_F(RealStack, ToolListsRealModulesAndTellsOtherUsersHowToGetAccess) {
    ASSERT_TRUE(Plug({{"--name", "LQ-3860 tool"}, {"--no-name"}}, 2));
    // The device nodes are root's alone (crw-------): another user is told how to get access.
    EXPECT_EQ(RunProgram(CTL, {"list"}, 65534), "0||lq3860ctl: " + std::string(DEVICE_ACCESS_DENIED_MESSAGE) + "\n");
    // hidapi gives a module without a product string an empty one: a name like any other.
    EXPECT_TRUE(Succeeded(RunProgram(CTL, {"list"}), {"\tLQ-3860 tool\t/dev/hidraw", "\t\t/dev/hidraw"}));
}

// lq3860ctl --all on eight modules (as many as the guest can make, less
// one: LQ3860_VM_MODULE_LIMIT), each on a thread of its own: each saves its
// own module's set byte-exact; the silent last one fails alone, and the run
// with it (no reply: 7).
TEST_F(RealStack, ToolReadsAllModulesEachItsOwnSet) {
    const char* limit = std::getenv("LQ3860_VM_MODULE_LIMIT");
    const int modules = limit != nullptr ? std::atoi(limit) - 1 : 8;
    std::vector<std::string> stored, saved;
    for (int k = 0; k < modules; ++k) {
        ModuleParamSet params = ModuleBehaviour().Params();
        StoreParamText(params.ssid, "all-modules-" + std::to_string(k));
        stored.push_back(FormatConfiguration(params));
        WriteText("/tmp/all-" + std::to_string(k) + ".txt", stored.back());
    }
    ASSERT_TRUE(
        Plug({{"--modules", std::to_string(modules), "--state", "/tmp/all.txt"}, {"--silent", "--name", "Silent"}},
             modules + 1));
    const std::string run = RunProgram(CTL, {"--all", "read", "--save", "/tmp/saved.txt"});
    EXPECT_TRUE(run.starts_with("7||lq3860ctl: ") && run.ends_with("\tSilent\tDownload Parameter NG\n") &&
                std::ranges::count(run, '\n') == 1)
        << run;
    for (int slot = 0; slot <= modules; ++slot)
        if (std::string text = FileText("/tmp/saved-" + std::to_string(slot) + ".txt"); !text.empty())
            saved.push_back(text);
    std::ranges::sort(saved), std::ranges::sort(stored);
    EXPECT_EQ(saved, stored);
}

// The window's screenshot shows a user's first step: the first module of the
// list selected and its firmware read (the debug texts of the link say so).
TEST_F(RealStack, WindowScreenshotSelectsTheFirstModuleAndReadsItsFirmware) {
    ASSERT_TRUE(Plug({{"--name", "LQ-3860 pictured"}}, 1));
    const std::string run = RunProgram("/bin/lq3860-utility", {"-v", "--screenshot", "/tmp/shot.png"});
    EXPECT_TRUE(Succeeded(run, {"LQ-3860 pictured\n", "HID_Open\n", "OK\n"}));
    EXPECT_TRUE(FileText("/tmp/shot.png").starts_with("\x89PNG\r\n")) << run;
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
