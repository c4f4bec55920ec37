// Scenarios on the real kernel HID stack: run inside the test VM (as root,
// with uhid, hidraw and hid-generic loaded), where every module is an
// lq3860-sim process and the program reaches it through hidapi and hidraw.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
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

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// One lq3860-sim process; it is stopped (and its modules unplugged) when
// this object goes.
class VirtualModules {
public:
    explicit VirtualModules(std::vector<std::string> options) {
        const char* program = std::getenv("LQ3860_SIM");
        options.insert(options.begin(), program != nullptr ? program : "lq3860-sim");
        std::vector<char*> argv;
        for (std::string& option : options) argv.push_back(option.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    }
    ~VirtualModules() { Stop(); }
    VirtualModules(const VirtualModules&) = delete;
    VirtualModules& operator=(const VirtualModules&) = delete;

    bool Started() const { return pid_ > 0; }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

struct ProgramRun {
    int status = -1;  // exit status, -1 when it did not run or end normally
    std::string out, err;
};

std::string FileText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs the program that the environment variable `program` names with
// `arguments`, as `uid` when it is not 0.
ProgramRun RunProgram(const char* program, std::vector<std::string> arguments, uid_t uid = 0) {
    ProgramRun run;
    const char* path = std::getenv(program);
    if (path == nullptr) return run;
    arguments.insert(arguments.begin(), path);
    const pid_t child = fork();
    if (child < 0) return run;
    if (child == 0) {
        const int out = open("/tmp/tool.out", O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int err = open("/tmp/tool.err", O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(120);
        if (uid != 0 && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(121);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(122);
    }
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.out = FileText("/tmp/tool.out");
    run.err = FileText("/tmp/tool.err");
    return run;
}

// The TAGS=... line of `udevadm test` output, empty when no tag was set.
std::string TagsLine(const std::string& output) {
    const std::size_t start = output.find("\nTAGS=");
    if (start == std::string::npos) return {};
    return output.substr(start + 1, output.find('\n', start + 1) - start - 1);
}

ProgramRun RunTool(std::vector<std::string> arguments, uid_t uid = 0) {
    return RunProgram("LQ3860_CTL", std::move(arguments), uid);
}

// A configuration file the tool can write: no encryption, so no key rules.
std::string FormatToolParams() {
    ModuleParamSet params{};
    params.mode = MODE_AP;
    params.channel = 11;
    params.encryption = ENCRYPTION_NONE;
    StoreParamText(params.ssid, "tool-net");
    const std::uint8_t mac[MAC_LENGTH] = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::copy(std::begin(mac), std::end(mac), params.mac);
    return FormatConfiguration(params);
}

// Sees the kernel's HID interfaces through hidapi and the device table.
class RealStack : public ::testing::Test {
protected:
    void SetUp() override {
        HID_UsePlatform(&platform_);
        previousSink_ = SetDebugSink([this](std::string_view text) { debug_.emplace_back(text); });
        ASSERT_TRUE(WaitForInterfaces(0)) << "devices of an earlier scenario are still there";
    }
    void TearDown() override {
        HID_Close();
        HID_ClearList();
        SetDebugSink(previousSink_);
        HID_UsePlatform(nullptr);
    }

    // Waits until the platform lists exactly `count` interfaces (the kernel
    // adds and removes uhid devices in the background).
    bool WaitForInterfaces(std::size_t count) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (platform_.ListInterfaces().size() != count) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    int Scan() {
        HID_ClearList();
        return HID_Enumerate();
    }

    bool SawDebug(std::string_view text) const {
        for (const std::string& line : debug_) {
            if (line == text) return true;
        }
        return false;
    }

    // The reply an LQ-3860 with default settings gives to `command`.
    static HidReport ExpectedReply(const char* command) {
        ModuleBehaviour behaviour;
        HidReport report{};
        BuildCommandReport(command, report);
        return behaviour.HandleOutputReport(report).value_or(HidReport{});
    }

    HidapiPlatform platform_;
    std::vector<std::string> debug_;
    DebugSink previousSink_;
    LinkState link_;
    HidReport reply_{};
};

TEST_F(RealStack, ForeignCollectionAndForeignVendorAreSkipped) {
    VirtualModules module({"--second-collection", "--name", "LQ-3860 bench A"});
    VirtualModules foreign({"--vendor", "1234", "--name", "Other vendor"});
    ASSERT_TRUE(module.Started() && foreign.Started());
    // Two collections of one hidraw node, and the foreign device.
    ASSERT_TRUE(WaitForInterfaces(3));

    const auto interfaces = platform_.ListInterfaces();
    int secondCollections = 0;
    for (const HidInterfaceInfo& info : interfaces) {
        if (info.vendorId == LQ3860_VENDOR_ID && info.usage == SECOND_COLLECTION_USAGE) ++secondCollections;
    }
    EXPECT_EQ(secondCollections, 1);

    ASSERT_EQ(Scan(), 1);
    char name[HID_PRODUCT_NAME_SIZE] = {};
    ASSERT_EQ(HID_GetName(0, name, sizeof name), 1);
    EXPECT_STREQ(name, "LQ-3860 bench A");
    EXPECT_EQ(HID_AccessDeniedCount(), 0);
}

TEST_F(RealStack, ModuleWithoutProductNameHasNoName) {
    VirtualModules module({"--no-name"});
    ASSERT_TRUE(module.Started());
    ASSERT_TRUE(WaitForInterfaces(1));
    ASSERT_EQ(Scan(), 1);
    char name[HID_PRODUCT_NAME_SIZE] = {'u', 'n', 't', 'o', 'u', 'c', 'h', 'e', 'd', 0};
    EXPECT_EQ(HID_GetName(0, name, sizeof name), 0);
    EXPECT_STREQ(name, "untouched");
}

TEST_F(RealStack, ElevenModulesListTheFirstTen) {
    VirtualModules modules({"--count", "11"});
    ASSERT_TRUE(modules.Started());
    ASSERT_TRUE(WaitForInterfaces(11));
    EXPECT_EQ(Scan(), HID_MAX_DEVICES);
    EXPECT_NE(HID_GetPath(HID_MAX_DEVICES - 1), nullptr);
    EXPECT_EQ(HID_GetPath(HID_MAX_DEVICES), nullptr);
}

TEST_F(RealStack, FirmwareAndSignalRepliesArriveIntact) {
    VirtualModules module({});
    ASSERT_TRUE(module.Started());
    ASSERT_TRUE(WaitForInterfaces(1));
    ASSERT_EQ(Scan(), 1);
    ASSERT_TRUE(OpenModule(link_, 0));

    FirmwareInfo info, expectedInfo;
    ASSERT_TRUE(DecodeFirmwareReply(ExpectedReply(CMD_FIRMWARE), expectedInfo));
    ASSERT_EQ(QueryFirmware(link_, reply_, info), ReplyOutcome::Accepted);
    EXPECT_EQ(info.versionText, expectedInfo.versionText);
    EXPECT_EQ(info.dateText, expectedInfo.dateText);
    // The whole payload came through, unshifted.
    EXPECT_TRUE(std::equal(reply_.begin() + 1, reply_.end(), ExpectedReply(CMD_FIRMWARE).begin() + 1));

    std::uint8_t level = 0, expectedLevel = 0;
    ASSERT_TRUE(DecodeSignalReply(ExpectedReply(CMD_SIGNAL), expectedLevel));
    ASSERT_EQ(QuerySignal(link_, reply_, level), ReplyOutcome::Accepted);
    EXPECT_EQ(level, expectedLevel);
    EXPECT_EQ(link_.deviceOpen, 1);
}

TEST_F(RealStack, WrittenParametersReadBackAndSurviveARestart) {
    const std::string state = "/tmp/lq3860-vm-state.txt";
    std::remove(state.c_str());
    ModuleParamSet written{};
    written.mode = MODE_ADHOC;
    written.channel = 13;
    written.encryption = 2;
    StoreParamText(written.ssid, "kernel-path-20-chars");
    StoreParamText(written.key, "abcdefghijklm");
    const std::uint8_t mac[MAC_LENGTH] = {0x02, 0x7E, 0x3A, 0x38, 0x60, 0xFE};
    std::copy(std::begin(mac), std::end(mac), written.mac);
    {
        VirtualModules module({"--state", state});
        ASSERT_TRUE(module.Started());
        ASSERT_TRUE(WaitForInterfaces(1));
        ASSERT_EQ(Scan(), 1);
        ASSERT_TRUE(OpenModule(link_, 0));
        ASSERT_EQ(AnnounceUpload(link_, reply_), AnnounceOutcome::Acknowledged);
        ASSERT_TRUE(SendParamReports(link_, written, [](int) {}));

        ModuleParamSet read{};
        ASSERT_TRUE(DownloadParams(link_, reply_, read, [](int) {}));
        EXPECT_EQ(read.mode, written.mode);
        EXPECT_EQ(read.channel, written.channel);
        EXPECT_EQ(read.encryption, written.encryption);
        EXPECT_STREQ(read.ssid, written.ssid);
        EXPECT_STREQ(read.key, written.key);
        EXPECT_TRUE(std::equal(std::begin(mac), std::end(mac), read.mac));
        CloseLink(link_);
    }
    ASSERT_TRUE(WaitForInterfaces(0));
    VirtualModules restarted({"--state", state});
    ASSERT_TRUE(WaitForInterfaces(1));
    ASSERT_EQ(Scan(), 1);
    ASSERT_TRUE(OpenModule(link_, 0));
    ModuleParamSet read{};
    ASSERT_TRUE(DownloadParams(link_, reply_, read, [](int) {}));
    EXPECT_STREQ(read.ssid, written.ssid);
    EXPECT_EQ(read.channel, written.channel);
}

TEST_F(RealStack, SilentModuleHitsTheReadTimeLimit) {
    VirtualModules module({"--silent"});
    ASSERT_TRUE(module.Started());
    ASSERT_TRUE(WaitForInterfaces(1));
    ASSERT_EQ(Scan(), 1);
    ASSERT_TRUE(OpenModule(link_, 0));

    FirmwareInfo info;
    const auto start = Clock::now();
    EXPECT_EQ(QueryFirmware(link_, reply_, info), ReplyOutcome::LinkFailed);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(waited, HID_READ_TIMEOUT_MS - 50);
    EXPECT_LT(waited, HID_READ_TIMEOUT_MS + 3000);
    EXPECT_TRUE(SawDebug("HID_Read Err\n"));
    EXPECT_EQ(link_.deviceOpen, 0);
    EXPECT_EQ(link_.rescanNeeded, 1);
}

TEST_F(RealStack, ModuleUnpluggedDuringReadParaFailsTheDownload) {
    VirtualModules module({"--unplug-after", "1"});
    ASSERT_TRUE(module.Started());
    ASSERT_TRUE(WaitForInterfaces(1));
    ASSERT_EQ(Scan(), 1);
    ASSERT_TRUE(OpenModule(link_, 0));

    ModuleParamSet params{};
    std::vector<int> positions;
    EXPECT_FALSE(DownloadParams(link_, reply_, params, [&](int position) { positions.push_back(position); }));
    EXPECT_EQ(link_.deviceOpen, 0);
    EXPECT_TRUE(SawDebug("HID_Read Err\n") || SawDebug("HID_Write Err\n"));
    // The procedure still ran to its end.
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 1000);
    // The module is gone from the next scan.
    ASSERT_TRUE(WaitForInterfaces(0));
    EXPECT_EQ(Scan(), 0);
}

TEST_F(RealStack, UserWithoutPermissionIsCountedAsDenied) {
    VirtualModules module({});
    ASSERT_TRUE(module.Started());
    ASSERT_TRUE(WaitForInterfaces(1));
    // The device nodes are root's alone (crw-------): scan as another user.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
        const int listed = Scan();
        _exit(listed == 0 && HID_AccessDeniedCount() == 1 ? 0 : 20 + listed * 4 + HID_AccessDeniedCount());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: could not drop privileges; 20 + 4 * listed + denied otherwise";
}

TEST_F(RealStack, ToolListsReadsAndWritesARealModule) {
    if (std::getenv("LQ3860_CTL") == nullptr) GTEST_SKIP() << "lq3860ctl is not part of this guest";
    VirtualModules module({"--name", "LQ-3860 tool"});
    VirtualModules nameless({"--no-name"});
    ASSERT_TRUE(module.Started() && nameless.Started());
    ASSERT_TRUE(WaitForInterfaces(2));

    const ProgramRun list = RunTool({"list"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("\tLQ-3860 tool\t/dev/hidraw"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("\tDevice "), std::string::npos) << list.out;  // the nameless one
    EXPECT_EQ(list.err, "");

    // Slot 0 may be either module; both answer alike.
    std::ofstream("/tmp/tool-params.txt", std::ios::binary) << FormatToolParams();
    const ProgramRun write = RunTool({"write", "/tmp/tool-params.txt"});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_NE(write.out.find("Upload Parameter OK"), std::string::npos) << write.out;
    const ProgramRun read = RunTool({"read", "--save", "/tmp/tool-read.txt"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(FileText("/tmp/tool-read.txt"), FileText("/tmp/tool-params.txt"));

    const ProgramRun info = RunTool({"info"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("version "), std::string::npos) << info.out;
}

TEST_F(RealStack, ToolTellsAUserWithoutPermissionHowToGetAccess) {
    if (std::getenv("LQ3860_CTL") == nullptr) GTEST_SKIP() << "lq3860ctl is not part of this guest";
    VirtualModules module({});
    ASSERT_TRUE(module.Started());
    ASSERT_TRUE(WaitForInterfaces(1));
    const ProgramRun list = RunTool({"list"}, 65534);
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(list.err, std::string(DEVICE_ACCESS_DENIED_MESSAGE) + "\n");
}

TEST_F(RealStack, UdevRuleTagsOnlyOurModulesForTheSeat) {
    if (std::getenv("LQ3860_UDEVADM") == nullptr) GTEST_SKIP() << "udevadm is not part of this guest";
    VirtualModules module({});
    VirtualModules foreign({"--vendor", "1234"});
    ASSERT_TRUE(module.Started() && foreign.Started());
    ASSERT_TRUE(WaitForInterfaces(2));
    int checked = 0;
    for (const HidInterfaceInfo& info : platform_.ListInterfaces()) {
        // /dev/hidrawN as udev sees it in sysfs.
        const std::string node = info.path.substr(info.path.rfind('/') + 1);
        const ProgramRun test = RunProgram("LQ3860_UDEVADM", {"test", "--action=add", "/sys/class/hidraw/" + node});
        ASSERT_EQ(test.status, 0) << test.out << test.err;
        const bool tagged = TagsLine(test.out).find(":uaccess:") != std::string::npos;
        EXPECT_EQ(tagged, info.vendorId == LQ3860_VENDOR_ID) << std::hex << info.vendorId << "\n" << test.out;
        ++checked;
    }
    EXPECT_EQ(checked, 2);
}

}  // namespace
