// Scenarios on the real kernel HID stack: run inside the test VM (as root,
// with uhid, hidraw and hid-generic loaded), where every module is an
// lq3860-sim process and the program reaches it through hidapi and hidraw.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "device/command_protocol.h"
#include "device/debug_output.h"
#include "device/device_access.h"
#include "device/hid_device_table.h"
#include "device/hidapi_platform.h"
#include "device/module_behaviour.h"
#include "device/module_link.h"
#include "params/config_file.h"
#include "params/parameter_transfer.h"
#include "sim/report_descriptor.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string FileText(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Starts the program the environment variable `program` names, as `uid` when
// it is not 0; with `capture` its output goes to /tmp/run.out and /tmp/run.err.
pid_t Start(const char* program, std::vector<std::string> arguments, bool capture, uid_t uid = 0) {
    const char* path = std::getenv(program);
    const pid_t child = path != nullptr ? fork() : -1;
    if (child != 0) return child;
    if (capture && (!std::freopen("/tmp/run.out", "w", stdout) || !std::freopen("/tmp/run.err", "w", stderr)))
        _exit(120);
    if (uid != 0 && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(121);
    std::vector<char*> argv{const_cast<char*>(path)};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(path, argv.data());
    _exit(122);
}

struct ProgramRun {
    int status = -1;  // exit status, -1 when it did not run or end normally
    std::string out, err;
};

ProgramRun RunCaptured(const char* program, std::vector<std::string> arguments, uid_t uid = 0) {
    int status = 0;
    const pid_t child = Start(program, std::move(arguments), true, uid);
    const bool ended = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    return {ended ? WEXITSTATUS(status) : -1, FileText("/tmp/run.out"), FileText("/tmp/run.err")};
}

// The reply an LQ-3860 with default settings gives to `command`.
HidReport ExpectedReply(const char* command) {
    HidReport report{};
    BuildCommandReport(command, report);
    return ModuleBehaviour().HandleOutputReport(report).value_or(HidReport{});
}

// Sees the kernel's HID interfaces through hidapi and the device table; the
// lq3860-sim processes it plugs are stopped (their modules unplugged) at the end.
class RealStack : public ::testing::Test {
protected:
    void SetUp() override {
        HID_UsePlatform(&platform_);
        previousSink_ = SetDebugSink([this](std::string_view text) { debug_.emplace_back(text); });
        ASSERT_TRUE(WaitForInterfaces(0)) << "devices of an earlier scenario are still there";
    }
    void TearDown() override {
        Unplug();
        HID_Close();
        HID_ClearList();
        SetDebugSink(previousSink_);
        HID_UsePlatform(nullptr);
    }

    // One lq3860-sim per option list; true once the kernel shows `interfaces`.
    bool Plug(std::vector<std::vector<std::string>> processes, std::size_t interfaces) {
        for (auto& options : processes) sims_.push_back(Start("LQ3860_SIM", std::move(options), false));
        return std::none_of(sims_.begin(), sims_.end(), [](pid_t pid) { return pid <= 0; }) &&
               WaitForInterfaces(interfaces);
    }
    bool PlugOneAndOpen(std::vector<std::string> options) {
        return Plug({std::move(options)}, 1) && Scan() == 1 && OpenModule(link_, 0);
    }
    void Unplug() {
        for (pid_t pid : sims_)
            if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
        sims_.clear();
    }
    // The kernel adds and removes uhid devices in the background.
    bool WaitForInterfaces(std::size_t count) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (platform_.ListInterfaces().size() != count) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    int Scan() { return HID_ClearList(), HID_Enumerate(); }
    bool SawDebug(std::string_view text) const { return std::find(debug_.begin(), debug_.end(), text) != debug_.end(); }

    HidapiPlatform platform_;
    std::vector<pid_t> sims_;
    std::vector<std::string> debug_;
    DebugSink previousSink_;
    LinkState link_;
    HidReport reply_{};
};

TEST_F(RealStack, ScanSkipsForeignVendorAndSecondCollectionAndNamelessModulesHaveNoName) {
    // Two collections of one hidraw node, a foreign device and a nameless module.
    ASSERT_TRUE(Plug({{"--second-collection", "--name", "LQ-3860 bench A"},
                      {"--vendor", "1234", "--name", "Other vendor"},
                      {"--no-name"}},
                     4));
    int secondUsages = 0;
    for (const auto& info : platform_.ListInterfaces()) secondUsages += info.usage == SECOND_COLLECTION_USAGE;
    EXPECT_EQ(secondUsages, 1);
    ASSERT_EQ(Scan(), 2);
    std::vector<std::string> names;
    for (int index : {0, 1}) {
        char name[HID_PRODUCT_NAME_SIZE] = "untouched";
        names.push_back(std::to_string(HID_GetName(index, name, sizeof name)) + name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"0untouched", "1LQ-3860 bench A"}));
    EXPECT_EQ(HID_AccessDeniedCount(), 0);
}

TEST_F(RealStack, ElevenModulesListTheFirstTen) {
    ASSERT_TRUE(Plug({{"--count", "11"}}, 11));
    EXPECT_EQ(Scan(), HID_MAX_DEVICES);
    EXPECT_TRUE(HID_GetPath(HID_MAX_DEVICES - 1) != nullptr && HID_GetPath(HID_MAX_DEVICES) == nullptr);
}

TEST_F(RealStack, FirmwareAndSignalRepliesArriveIntact) {
    ASSERT_TRUE(PlugOneAndOpen({}));
    FirmwareInfo info;
    ASSERT_EQ(QueryFirmware(link_, reply_, info), ReplyOutcome::Accepted);
    // The whole payload came through, unshifted.
    EXPECT_TRUE(std::equal(reply_.begin() + 1, reply_.end(), ExpectedReply(CMD_FIRMWARE).begin() + 1));
    std::uint8_t level = 0, expectedLevel = 0;
    ASSERT_TRUE(DecodeSignalReply(ExpectedReply(CMD_SIGNAL), expectedLevel));
    ASSERT_EQ(QuerySignal(link_, reply_, level), ReplyOutcome::Accepted);
    EXPECT_EQ(level, expectedLevel);
    EXPECT_EQ(link_.deviceOpen, 1);
}

TEST_F(RealStack, WrittenParametersReadBackAndSurviveARestart) {
    std::remove("/tmp/lq3860-vm-state.txt");
    const ModuleParamSet written{MODE_ADHOC, 13, 2, "kernel-path-20-chars", "abcdefghijklm",
                                 {2, 0x33, 0x64, 0x95, 0xC6, 0xF7}};
    ASSERT_TRUE(PlugOneAndOpen({"--state", "/tmp/lq3860-vm-state.txt"}));
    ASSERT_EQ(AnnounceUpload(link_, reply_), AnnounceOutcome::Acknowledged);
    ASSERT_TRUE(SendParamReports(link_, written, [](int) {}));
    for (int run : {1, 2}) {
        ModuleParamSet read{};
        ASSERT_TRUE(DownloadParams(link_, reply_, read, [](int) {})) << run;
        EXPECT_EQ(FormatConfiguration(read), FormatConfiguration(written)) << run;
        CloseLink(link_);
        Unplug();
        if (run == 1) {
            ASSERT_TRUE(WaitForInterfaces(0) && PlugOneAndOpen({"--state", "/tmp/lq3860-vm-state.txt"}));
        }
    }
}

TEST_F(RealStack, SilentModuleHitsTheReadTimeLimit) {
    ASSERT_TRUE(PlugOneAndOpen({"--silent"}));
    FirmwareInfo info;
    const auto start = Clock::now();
    EXPECT_EQ(QueryFirmware(link_, reply_, info), ReplyOutcome::LinkFailed);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_TRUE(waited >= HID_READ_TIMEOUT_MS - 50 && waited < HID_READ_TIMEOUT_MS + 3000) << waited;
    EXPECT_TRUE(SawDebug("HID_Read Err\n"));
    EXPECT_EQ(std::make_pair(link_.deviceOpen, link_.rescanNeeded), std::make_pair(0, 1));
}

TEST_F(RealStack, ModuleUnpluggedDuringReadParaFailsTheDownload) {
    ASSERT_TRUE(PlugOneAndOpen({"--unplug-after", "1"}));
    ModuleParamSet params{};
    std::vector<int> positions;
    EXPECT_FALSE(DownloadParams(link_, reply_, params, [&](int position) { positions.push_back(position); }));
    EXPECT_EQ(link_.deviceOpen, 0);
    EXPECT_TRUE(SawDebug("HID_Read Err\n") || SawDebug("HID_Write Err\n"));
    // The procedure still ran to its end, and the module is gone from the next scan.
    EXPECT_EQ(positions.empty() ? -1 : positions.back(), 1000);
    ASSERT_TRUE(WaitForInterfaces(0));
    EXPECT_EQ(Scan(), 0);
}

TEST_F(RealStack, ToolListsReadsAndWritesARealModuleAndTellsOtherUsersHowToGetAccess) {
    if (std::getenv("LQ3860_CTL") == nullptr) GTEST_SKIP() << "lq3860ctl is not part of this guest";
    ASSERT_TRUE(Plug({{"--name", "LQ-3860 tool"}, {"--no-name"}}, 2));
    // The device nodes are root's alone (crw-------): another user is told how to get access.
    const ProgramRun denied = RunCaptured("LQ3860_CTL", {"list"}, 65534);
    EXPECT_EQ(std::to_string(denied.status) + denied.out + "|" + denied.err,
              "0|" + std::string(DEVICE_ACCESS_DENIED_MESSAGE) + "\n");
    // The nameless module is listed as "Device ...".
    const ProgramRun list = RunCaptured("LQ3860_CTL", {"list"});
    EXPECT_TRUE(list.status == 0 && list.out.find("\tLQ-3860 tool\t/dev/hidraw") != std::string::npos &&
                list.out.find("\tDevice ") != std::string::npos) << list.out << list.err;

    // Slot 0 may be either module; both answer alike. No encryption, so no key rules.
    std::ofstream("/tmp/tool-params.txt", std::ios::binary)
        << FormatConfiguration({MODE_AP, 11, ENCRYPTION_NONE, "tool-net", "", {2, 0x33, 0x64, 0x95, 0xC6, 0xF7}});
    const ProgramRun write = RunCaptured("LQ3860_CTL", {"write", "/tmp/tool-params.txt"});
    EXPECT_NE(write.out.find("Upload Parameter OK"), std::string::npos) << write.out << write.err;
    const ProgramRun read = RunCaptured("LQ3860_CTL", {"read", "--save", "/tmp/tool-read.txt"});
    EXPECT_EQ(read.status + write.status, 0) << read.err;
    EXPECT_EQ(FileText("/tmp/tool-read.txt"), FileText("/tmp/tool-params.txt"));
    const ProgramRun info = RunCaptured("LQ3860_CTL", {"info"});
    EXPECT_TRUE(info.status == 0 && info.out.find("version ") != std::string::npos) << info.out << info.err;
}

TEST_F(RealStack, UdevRuleTagsOnlyOurModulesForTheSeat) {
    if (std::getenv("LQ3860_UDEVADM") == nullptr) GTEST_SKIP() << "udevadm is not part of this guest";
    ASSERT_TRUE(Plug({{}, {"--vendor", "1234"}}, 2));
    int tagged = 0;
    for (const HidInterfaceInfo& info : platform_.ListInterfaces()) {
        const std::string node = info.path.substr(info.path.rfind('/') + 1);  // hidrawN
        const ProgramRun test = RunCaptured("LQ3860_UDEVADM", {"test", "--action=add", "/sys/class/hidraw/" + node});
        ASSERT_EQ(test.status, 0) << test.out << test.err;
        const bool ours = test.out.find(":uaccess:") != std::string::npos;  // in TAGS=, not in the rule text
        EXPECT_EQ(ours, info.vendorId == LQ3860_VENDOR_ID) << std::hex << info.vendorId << "\n" << test.out;
        tagged += ours;
    }
    EXPECT_EQ(tagged, 1);
}

}  // namespace
