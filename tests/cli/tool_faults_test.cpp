// The tool's commands in-process on an injected simulated platform, for what
// a process cannot be made to meet: several modules, unreadable names,
// denied access, silent or failing links, unexpected replies. Pauses are
// recorded instead of slept.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "cli/run_tool.h"
#include "device/command_protocol.h"
#include "device/device_access.h"
#include "device/module_link.h"
#include "device/pause.h"
#include "device/simulated_platform.h"
#include "tool_process.h"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class ToolFaults : public ::testing::Test {
protected:
    void SetUp() override {
        previousPause_ = SetPauseFunction([this](unsigned milliseconds) { pausedMs_ += milliseconds; });
    }
    void TearDown() override { SetPauseFunction(previousPause_); }

    Outcome Run(const std::vector<std::string>& arguments) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunTool(arguments, out, err, &platform_);
        return {status, out.str(), err.str()};
    }

    // Text of the command reports the host sent, in order.
    static std::vector<std::string> Commands(const SimulatedInterface& module) {
        std::vector<std::string> commands;
        for (const HidReport& report : module.written) {
            commands.emplace_back(reinterpret_cast<const char*>(report.data() + 1),
                                  strnlen(reinterpret_cast<const char*>(report.data() + 1), HID_REPORT_SIZE - 1));
        }
        return commands;
    }

    SimulatedPlatform platform_;
    unsigned pausedMs_ = 0;

private:
    PauseFunction previousPause_;
};

TEST_F(ToolFaults, ListNamesEveryModuleLikeTheWindow) {
    platform_.AddModule(u"First");
    SimulatedInterface other;
    other.vendorId = 0x1234;  // another vendor's device is not listed
    platform_.AddInterface(other);
    platform_.AddModule(std::nullopt);  // unreadable name
    platform_.AddModule(u"Tab\tand\nnewline");

    const Outcome list = Run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "0\tFirst\tsim:0\n1\tDevice 1\tsim:2\n2\tTab and newline\tsim:3\n");
    EXPECT_TRUE(list.err.empty()) << list.err;
}

TEST_F(ToolFaults, ListWithoutModulesPrintsNothing) {
    const Outcome list = Run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(list.out.empty());
    EXPECT_TRUE(list.err.empty());
    EXPECT_EQ(Run({"--json", "list"}).out, "{\"modules\":[]}\n");
}

TEST_F(ToolFaults, ModuleWithoutPermissionIsExplained) {
    platform_.AddModule().denyAccess = true;
    const Outcome list = Run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_TRUE(list.out.empty());
    EXPECT_EQ(list.err, std::string(DEVICE_ACCESS_DENIED_MESSAGE) + "\n");

    const Outcome info = Run({"info"});
    EXPECT_EQ(info.status, 1);
    EXPECT_NE(info.err.find(DEVICE_ACCESS_DENIED_MESSAGE), std::string::npos) << info.err;
}

TEST_F(ToolFaults, DeviceOptionPicksTheSlot) {
    platform_.AddModule(u"A").module->SetFirmware('1', '0', "250101");
    platform_.AddModule(u"B").module->SetFirmware('2', '7', "131231");
    EXPECT_EQ(Run({"--device", "1", "info"}).out, "version 2.7\ndate 2013/12/31\n");
    EXPECT_EQ(Run({"info"}).out, "version 1.0\ndate 2025/01/01\n");
    EXPECT_EQ(Run({"--device", "2", "info"}).status, 1);
}

TEST_F(ToolFaults, InfoAndSignalNameTheFailure) {
    SimulatedInterface& module = platform_.AddModule();
    module.silent = true;
    const Outcome silent = Run({"info"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(silent.err, "HID_Read Err\n");
    EXPECT_TRUE(silent.out.empty());

    module.silent = false;
    module.failWrite = true;
    EXPECT_EQ(Run({"signal"}).err, "HID_Write Err\n");

    module.failWrite = false;
    HidReport noOk{};
    module.nextReply = noOk;
    const Outcome refused = Run({"info"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "NG\n");
}

TEST_F(ToolFaults, SignalLevelOutsideZeroToThreeShowsItsByte) {
    SimulatedInterface& module = platform_.AddModule();
    module.module->SetSignalLevel(0x35);
    EXPECT_EQ(Run({"signal"}).out, "signal 0x35\n");
    module.module->SetSignalLevel(0x00);
    const Outcome json = Run({"--json", "signal"});
    EXPECT_EQ(json.out, "{\"signal\":\"0x00\",\"signalByte\":0}\n");
    module.module->SetSignalLevel('0');
    EXPECT_EQ(Run({"signal"}).out, "signal 0\n");
    EXPECT_EQ(pausedMs_, 3u * SIGNAL_REPLY_WAIT_MS);  // the reply wait of every request
}

TEST_F(ToolFaults, ReadFailureIsDownloadNg) {
    SimulatedInterface& module = platform_.AddModule();
    module.failRead = true;
    const Outcome read = Run({"read"});
    EXPECT_EQ(read.status, 1);
    EXPECT_EQ(read.err, "Download Parameter NG\n");
    EXPECT_TRUE(read.out.empty());
}

TEST_F(ToolFaults, ReadShowsWhatTheWindowWouldSave) {
    ModuleParamSet params;
    params.mode = 1;        // Ad-Hoc
    params.channel = 0;     // shown as 1
    params.encryption = 7;  // outside the list: no selection, saved as 255
    StoreParamText(params.ssid, "");
    StoreParamText(params.key, "any");
    platform_.AddModule().module->SetParams(params);
    EXPECT_EQ(Run({"read"}).out,
              "[G1]\r\n01,01,255,\r\n[G2]\r\n*,\r\n[G3]\r\nany,\r\n[G4]\r\n00,00,00,00,00,00,\r\n[END]\r\n");
}

class ToolWriteFaults : public ToolFaults {
protected:
    void SetUp() override {
        ToolFaults::SetUp();
        WriteWholeFile(dir_.File("in.txt"),
                       "[G1]\r\n00,04,03,\r\n[G2]\r\nNet,\r\n[G3]\r\npassphrase,\r\n[G4]\r\n"
                       "01,02,03,04,05,06,\r\n[END]\r\n");
    }
    std::string File() const { return dir_.File("in.txt"); }
    TempDir dir_;
};

TEST_F(ToolWriteFaults, UnacknowledgedHandshakeStopsBeforeTheParameters) {
    SimulatedInterface& module = platform_.AddModule();
    HidReport wrongAck{};
    std::memcpy(wrongAck.data() + 1, "AT+iWP OK\r\n", 11);
    module.nextReply = wrongAck;
    const Outcome write = Run({"write", File()});
    EXPECT_EQ(write.status, 1);
    EXPECT_EQ(write.err, "Upload Parameter NG\n");
    EXPECT_EQ(Commands(module), std::vector<std::string>{CMD_ANNOUNCE_UPLOAD});
}

TEST_F(ToolWriteFaults, LostLinkDuringTheUploadIsUploadNg) {
    SimulatedInterface& module = platform_.AddModule();
    module.unplugAfterReports = 2;  // the handshake and the first parameter report arrive
    const Outcome write = Run({"write", File()});
    EXPECT_EQ(write.status, 1);
    EXPECT_EQ(write.err, "Upload Parameter NG\n");
    EXPECT_TRUE(write.out.empty());
}

TEST_F(ToolWriteFaults, RefusedKeyTouchesNoModule) {
    SimulatedInterface& module = platform_.AddModule();
    WriteWholeFile(File(), "[G1]\r\n00,04,02,\r\n[G2]\r\nNet,\r\n[G3]\r\nshort,\r\n[G4]\r\n00,00,00,00,00,00,\r\n");
    const Outcome write = Run({"write", File()});
    EXPECT_EQ(write.status, 3);
    EXPECT_EQ(write.err, "The KEY must be 26 characters!\n");
    EXPECT_TRUE(module.written.empty());
    EXPECT_EQ(module.openCount, 0);
}

TEST_F(ToolWriteFaults, SendsTheHandshakeThenTheTwoParameterReports) {
    SimulatedInterface& module = platform_.AddModule();
    const Outcome write = Run({"write", File()});
    EXPECT_EQ(write.status, 0) << write.err;
    ASSERT_EQ(module.written.size(), 3u);
    EXPECT_EQ(Commands(module)[0], CMD_ANNOUNCE_UPLOAD);
    EXPECT_STREQ(module.module->Params().key, "passphrase");
    EXPECT_EQ(pausedMs_, 850u);  // the upload's waits, nothing more
}

TEST_F(ToolWriteFaults, NoModuleIsAModuleFailureAfterTheFileChecks) {
    const Outcome write = Run({"write", File()});
    EXPECT_EQ(write.status, 1);
    EXPECT_NE(write.err.find("slot 0"), std::string::npos);
    EXPECT_EQ(Run({"write", dir_.File("absent.txt")}).status, 3);
}

}  // namespace
