// The tool's commands in-process, on injected simulated modules (several
// modules, unreadable names, denied access, failing links, unexpected
// replies) or on its own --simulate=FILE module. Pauses are recorded, not slept.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "cli/run_tool.h"
#include "device/command_protocol.h"
#include "device/device_access.h"
#include "device/module_link.h"
#include "device/pause.h"
#include "device/simulated_platform.h"
#include "params/field_rules.h"
#include "tool_process.h"

namespace {

std::string ConfigText(const std::string& g1, const std::string& ssid, const std::string& key,
                       const std::string& mac) {
    return "[G1]\r\n" + g1 + "\r\n[G2]\r\n" + ssid + ",\r\n[G3]\r\n" + key + ",\r\n[G4]\r\n" + mac + "\r\n[END]\r\n";
}

// A fresh simulated module: AP, channel 6, WPA2-PSK(AES), "LQ-3860", its default key.
const std::string DEFAULT_MODULE = ConfigText("00,06,04,", "LQ-3860", "lq3860-default", "00,0C,29,38,60,01,");
const std::string WPA_CONFIG = ConfigText("00,04,03,", "Net", "passphrase", "01,02,03,04,05,06,");

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        previousPause_ = SetPauseFunction([this](unsigned milliseconds) { pausedMs_ += milliseconds; });
    }
    void TearDown() override { SetPauseFunction(previousPause_); }

    ToolRun RunOn(HidPlatform* platform, const std::vector<std::string>& arguments) {
        std::ostringstream out, err;
        const int status = RunTool(arguments, out, err, platform);
        return {status, out.str(), err.str()};
    }
    ToolRun Run(const std::vector<std::string>& arguments) { return RunOn(&platform_, arguments); }
    // On the tool's own simulated module, which keeps its memory in `memory_`.
    ToolRun Sim(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "--simulate=" + memory_);
        return RunOn(nullptr, arguments);
    }
    std::string Config(const std::string& text, const std::string& name = "in.txt") {
        WriteWholeFile(dir_.File(name), text);
        return dir_.File(name);
    }

    // Text of the command reports the host sent, in order.
    static std::vector<std::string> Commands(const SimulatedInterface& module) {
        std::vector<std::string> commands;
        for (const HidReport& report : module.written) {
            const char* text = reinterpret_cast<const char*>(report.data() + 1);
            commands.emplace_back(text, strnlen(text, HID_REPORT_SIZE - 1));
        }
        return commands;
    }

    SimulatedPlatform platform_;
    unsigned pausedMs_ = 0;
    TempDir dir_;
    const std::string memory_ = dir_.File("module.txt");

private:
    PauseFunction previousPause_;
};

TEST_F(Tool, ListNamesEveryModuleLikeTheWindow) {
    EXPECT_EQ(Run({"--json", "list"}).out, "{\"modules\":[]}\n");
    EXPECT_EQ(Run({"list"}).out, "");
    platform_.AddModule(u"First");
    SimulatedInterface other;
    other.vendorId = 0x1234;  // another vendor's device is not listed
    platform_.AddInterface(other);
    platform_.AddModule(std::nullopt);  // unreadable name
    platform_.AddModule(u"Tab\tand\nnewline");
    const ToolRun list = Run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "0\tFirst\tsim:0\n1\tDevice 1\tsim:2\n2\tTab and newline\tsim:3\n");
    EXPECT_EQ(list.err, "");
    EXPECT_EQ(DecodeJson(Sim({"--json", "list"}).out),
              R"j({"modules":[{"index":0,"name":"LQ-3860 (simulated)","path":"sim:0"}]})j");
}

TEST_F(Tool, ModuleWithoutPermissionIsExplained) {
    platform_.AddModule().denyAccess = true;
    const ToolRun list = Run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(list.err, std::string(DEVICE_ACCESS_DENIED_MESSAGE) + "\n");
    const ToolRun info = Run({"info"});
    EXPECT_EQ(info.status, 1);
    EXPECT_NE(info.err.find(DEVICE_ACCESS_DENIED_MESSAGE), std::string::npos) << info.err;
}

TEST_F(Tool, InfoAndDeviceOptionPickTheSlot) {
    platform_.AddModule(u"A").module->SetFirmware('1', '0', "250101");
    platform_.AddModule(u"B").module->SetFirmware('2', '7', "131231");
    EXPECT_EQ(Run({"--device", "1", "info"}).out, "version 2.7\ndate 2013/12/31\n");
    EXPECT_EQ(Run({"info"}).out, "version 1.0\ndate 2025/01/01\n");
    const ToolRun absent = Run({"--device", "2", "info"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.out, "");
    EXPECT_NE(absent.err.find("slot 2"), std::string::npos) << absent.err;
    EXPECT_EQ(DecodeJson(Sim({"--json", "info"}).out), R"({"date":"2026/12/06","version":"1.1"})");
}

TEST_F(Tool, LinkFailuresAreNamed) {
    HidReport noOk{};
    const std::vector<std::tuple<std::function<void(SimulatedInterface&)>, const char*, const char*>> rows = {
        {[](SimulatedInterface& m) { m.silent = true; }, "info", "HID_Read Err\n"},
        {[](SimulatedInterface& m) { m.failWrite = true; }, "signal", "HID_Write Err\n"},
        {[&](SimulatedInterface& m) { m.nextReply = noOk; }, "info", "NG\n"},
        {[](SimulatedInterface& m) { m.failRead = true; }, "read", "Download Parameter NG\n"},
    };
    for (const auto& [fault, command, message] : rows) {
        SCOPED_TRACE(message);
        SimulatedPlatform platform;
        fault(platform.AddModule());
        const ToolRun run = RunOn(&platform, {command});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(Tool, SignalLevelOutsideZeroToThreeShowsItsByte) {
    SimulatedInterface& module = platform_.AddModule();
    module.module->SetSignalLevel(0x35);
    EXPECT_EQ(Run({"signal"}).out, "signal 0x35\n");
    module.module->SetSignalLevel(0x00);
    EXPECT_EQ(Run({"--json", "signal"}).out, "{\"signal\":\"0x00\",\"signalByte\":0}\n");
    module.module->SetSignalLevel('0');
    EXPECT_EQ(Run({"signal"}).out, "signal 0\n");
    EXPECT_EQ(pausedMs_, 3u * SIGNAL_REPLY_WAIT_MS);  // the reply wait of every request
    EXPECT_EQ(Sim({"signal"}).out, "signal 3\n");
}

TEST_F(Tool, ReadShowsWhatTheWindowWouldSave) {
    ModuleParamSet params;
    params.mode = 1;        // Ad-Hoc
    params.channel = 0;     // shown as 1
    params.encryption = 7;  // outside the list: no selection, saved as 255
    StoreParamText(params.ssid, "");
    StoreParamText(params.key, "any");
    platform_.AddModule().module->SetParams(params);
    EXPECT_EQ(Run({"read"}).out, ConfigText("01,01,255,", "*", "any", "00,00,00,00,00,00,"));

    EXPECT_EQ(Sim({"read"}).out, DEFAULT_MODULE);
    const ToolRun saved = Sim({"read", "--save", dir_.File("saved.txt")});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, "");
    EXPECT_EQ(ReadWholeFile(dir_.File("saved.txt")), DEFAULT_MODULE);
    const ToolRun unsaved = Sim({"read", "--save", dir_.File("no-such-dir/x.txt")});
    EXPECT_EQ(unsaved.status, 1);
    EXPECT_EQ(unsaved.err, "Save database file failure\n");
}

TEST_F(Tool, WriteSendsTheHandshakeThenTheTwoParameterReports) {
    SimulatedInterface& module = platform_.AddModule();
    const ToolRun write = Run({"write", Config(WPA_CONFIG)});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(write.out, "Upload Parameter OK\n");
    ASSERT_EQ(module.written.size(), 3u);
    EXPECT_EQ(Commands(module)[0], CMD_ANNOUNCE_UPLOAD);
    EXPECT_STREQ(module.module->Params().key, "passphrase");
    EXPECT_EQ(pausedMs_, 850u);  // the upload's waits, nothing more
}

TEST_F(Tool, WriteFailuresAreUploadNg) {
    SimulatedInterface& wrongAck = platform_.AddModule();
    HidReport reply{};
    std::memcpy(reply.data() + 1, "AT+iWP OK\r\n", 11);
    wrongAck.nextReply = reply;
    SimulatedInterface& unplugged = platform_.AddModule();
    unplugged.unplugAfterReports = 2;  // the handshake and the first parameter report arrive
    for (const char* slot : {"0", "1"}) {
        const ToolRun write = Run({"--device", slot, "write", Config(WPA_CONFIG)});
        EXPECT_EQ(write.status, 1) << slot;
        EXPECT_EQ(write.err, "Upload Parameter NG\n") << slot;
        EXPECT_EQ(write.out, "") << slot;
    }
    EXPECT_EQ(Commands(wrongAck), std::vector<std::string>{CMD_ANNOUNCE_UPLOAD});  // stops before the parameters
}

TEST_F(Tool, WriteAppliesTheWindowFieldRules) {
    const std::vector<std::tuple<std::string, std::string, std::string>> rows = {
        // Ad-Hoc with a stored WPA encryption and channel 0: no encryption (sent as 255), channel 1.
        {ConfigText("01,00,03,", "Lab", "wpa-passphrase", "00,00,00,00,00,01,"),
         ConfigText("01,01,255,", "Lab", "wpa-passphrase", "00,00,00,00,00,01,"), ""},
        // "NONE" clears the key before it is sent.
        {ConfigText("00,03,00,", "Open", "left-over-key", "00,00,00,00,00,02,"),
         ConfigText("00,03,00,", "Open", "*", "00,00,00,00,00,02,"), ""},
        // An SSID over 20 characters is refused with a message, then cut to 20.
        {ConfigText("00,03,00,", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "*", "00,00,00,00,00,03,"),
         ConfigText("00,03,00,", "ABCDEFGHIJKLMNOPQRST", "*", "00,00,00,00,00,03,"),
         std::string(SSID_TOO_LONG_MESSAGE) + "\n"},
    };
    for (const auto& [input, stored, message] : rows) {
        SCOPED_TRACE(input);
        const ToolRun write = Sim({"write", Config(input)});
        EXPECT_EQ(write.status, 0);
        EXPECT_EQ(write.err, message);
        EXPECT_EQ(ReadWholeFile(memory_), stored);
        EXPECT_EQ(Sim({"read"}).out, stored);
    }
}

TEST_F(Tool, RefusedInputSendsNothing) {
    const std::string before = ConfigText("00,01,01,", "Kept", "0123456789", "00,00,00,00,00,04,");
    WriteWholeFile(memory_, before);
    const std::vector<std::pair<std::string, std::string>> rows = {
        {Config(ConfigText("00,01,01,", "New", "123456789", "00,00,00,00,00,05,")), "The KEY must be 10 characters!\n"},
        {Config(ConfigText("00,01,04,", "New", "short", "00,00,00,00,00,05,"), "wpa.txt"),
         "The KEY must between 8~63 characters!\n"},
        {Config("[G1]\r\n00,01,00,\r\n[G3]\r\n*,\r\n[G4]\r\n00,00,00,00,00,05,\r\n", "no-g2.txt"), "[G2] format error\n"},
        {dir_.File("absent.txt"), "Open database file failure\n"},
    };
    for (const auto& [file, message] : rows) {
        const ToolRun write = Sim({"write", file});
        EXPECT_EQ(write.status, 3) << message;
        EXPECT_EQ(write.err, message);
        EXPECT_EQ(write.out, "");
        EXPECT_EQ(ReadWholeFile(memory_), before);
    }
    // A refused key touches no module; with no module, the file is still checked first.
    SimulatedInterface& module = platform_.AddModule();
    const std::string key26 = Config(ConfigText("00,04,02,", "Net", "short", "00,00,00,00,00,00,"));
    EXPECT_EQ(RunOn(&platform_, {"write", key26}).err, "The KEY must be 26 characters!\n");
    EXPECT_TRUE(module.written.empty());
    EXPECT_EQ(module.openCount, 0);
    SimulatedPlatform none;
    EXPECT_EQ(RunOn(&none, {"write", dir_.File("absent.txt")}).status, 3);
    const ToolRun noModule = RunOn(&none, {"write", Config(WPA_CONFIG)});
    EXPECT_EQ(noModule.status, 1);
    EXPECT_NE(noModule.err.find("slot 0"), std::string::npos) << noModule.err;
}

TEST_F(Tool, UnreadableMemoryFileIsRefusedInput) {
    WriteWholeFile(memory_, "not a configuration\r\n");
    const ToolRun run = Sim({"read"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "[G1] format error\n");
    EXPECT_EQ(ReadWholeFile(memory_), "not a configuration\r\n");
}

TEST_F(Tool, JsonOutputOfReadAndWrite) {
    const std::string params = R"("channel":2,"encryption":1,"encryptionName":"WEP64","key":"abcdefghij",)"
                               R"("mac":"00-0A-1B-FF-FF-FF","mode":1,"modeName":"Ad-Hoc",)";
    const std::string ssid = "\"ssid\":\"Caf\xC3\xA9 \\\"1\\\"\"";  // Latin-1 e acute as UTF-8
    const ToolRun write =
        Sim({"--json", "write", Config(ConfigText("01,02,01,", "Caf\xE9 \"1\"", "abcdefghij", "00,0A,1B,FF,FF,FF,"))});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(DecodeJson(write.out), "{" + params + "\"result\":\"Upload Parameter OK\"," + ssid + "}");
    EXPECT_EQ(DecodeJson(Sim({"--json", "read"}).out), "{" + params + ssid + "}");
    // A failed command prints no JSON at all.
    const ToolRun failed = Sim({"--json", "--device", "4", "read"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
}

}  // namespace
