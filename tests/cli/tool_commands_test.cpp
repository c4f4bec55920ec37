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

std::string ConfigText(const std::string& g1, const std::string& ssid, const std::string& key, const std::string& mac) {
    return "[G1]\r\n" + g1 + "\r\n[G2]\r\n" + ssid + ",\r\n[G3]\r\n" + key + ",\r\n[G4]\r\n" + mac + "\r\n[END]\r\n";
}

// A fresh simulated module: AP, channel 6, WPA2-PSK(AES), "LQ-3860", its default key.
const std::string DEFAULT_MODULE = ConfigText("00,06,04,", "LQ-3860", "lq3860-default", "00,0C,29,38,60,01,");
const std::string WPA_CONFIG = ConfigText("00,04,03,", "Net", "passphrase", "01,02,03,04,05,06,");

std::string CommandText(const HidReport& report) {
    const char* text = reinterpret_cast<const char*>(report.data() + 1);
    return std::string(text, strnlen(text, HID_REPORT_SIZE - 1));
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override { previousPause_ = SetPauseFunction([this](unsigned ms) { pausedMs_ += ms; }); }
    void TearDown() override { SetPauseFunction(previousPause_); }

    static ToolRun RunOn(HidPlatform* platform, const std::vector<std::string>& arguments) {
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
    // A configuration file holding `text`, new for every call.
    std::string Config(const std::string& text) {
        const std::string path = dir_.File("in" + std::to_string(++files_) + ".txt");
        WriteWholeFile(path, text);
        return path;
    }

    SimulatedPlatform platform_;
    unsigned pausedMs_ = 0;
    TempDir dir_;
    const std::string memory_ = dir_.File("module.txt");
    PauseFunction previousPause_;
    int files_ = 0;
};

TEST_F(Tool, ListNamesEveryModuleLikeTheWindow) {
    EXPECT_EQ(Run({"--json", "list"}), (ToolRun{0, "{\"modules\":[]}\n", ""}));
    EXPECT_EQ(Run({"list"}), (ToolRun{0, "", ""}));
    platform_.AddModule(u"First");
    SimulatedInterface other;
    other.vendorId = 0x1234;  // another vendor's device is not listed
    platform_.AddInterface(other);
    platform_.AddModule(std::nullopt);  // unreadable name
    platform_.AddModule(u"Tab\tand\nnewline");
    EXPECT_EQ(Run({"list"}), (ToolRun{0, "0\tFirst\tsim:0\n1\tDevice 1\tsim:2\n2\tTab and newline\tsim:3\n", ""}));
    EXPECT_EQ(DecodeJson(Sim({"--json", "list"}).out),
              R"j({"modules":[{"index":0,"name":"LQ-3860 (simulated)","path":"sim:0"}]})j");
}

TEST_F(Tool, ModuleWithoutPermissionIsExplained) {
    platform_.AddModule().denyAccess = true;
    const ToolRun list = Run({"list"});
    EXPECT_EQ(list, (ToolRun{0, "", std::string(DEVICE_ACCESS_DENIED_MESSAGE) + "\n"}));
    EXPECT_EQ(Run({"info"}), (ToolRun{1, "", "No LQ-3860 module in slot 0.\n" + list.err}));
}

TEST_F(Tool, InfoAndDeviceOptionPickTheSlot) {
    platform_.AddModule(u"A").module->SetFirmware('1', '0', "250101");
    platform_.AddModule(u"B").module->SetFirmware('2', '7', "131231");
    EXPECT_EQ(Run({"--device", "1", "info"}), (ToolRun{0, "version 2.7\ndate 2013/12/31\n", ""}));
    EXPECT_EQ(Run({"info"}).out, "version 1.0\ndate 2025/01/01\n");
    EXPECT_EQ(Run({"--device", "2", "info"}), (ToolRun{1, "", "No LQ-3860 module in slot 2.\n"}));
    EXPECT_EQ(DecodeJson(Sim({"--json", "info"}).out), R"({"date":"2026/12/06","version":"1.1"})");
}

TEST_F(Tool, LinkFailuresAreNamed) {
    const std::vector<std::tuple<std::function<void(SimulatedInterface&)>, const char*, const char*>> rows = {
        {[](SimulatedInterface& m) { m.silent = true; }, "info", "HID_Read Err\n"},
        {[](SimulatedInterface& m) { m.failWrite = true; }, "signal", "HID_Write Err\n"},
        {[](SimulatedInterface& m) { m.nextReply = HidReport{}; }, "info", "NG\n"},
        {[](SimulatedInterface& m) { m.failRead = true; }, "read", "Download Parameter NG\n"},
    };
    for (const auto& [fault, command, message] : rows) {
        SimulatedPlatform platform;
        fault(platform.AddModule());
        EXPECT_EQ(RunOn(&platform, {command}), (ToolRun{1, "", message}));
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
    EXPECT_EQ(Sim({"signal"}), (ToolRun{0, "signal 3\n", ""}));
}

TEST_F(Tool, ReadShowsWhatTheWindowWouldSaveAndNamesSaveFailures) {
    // Ad-Hoc on channel 0 (shown as 1), encryption 7 (outside the list: saved as 255), no SSID (saved as "*").
    platform_.AddModule().module->SetParams(ModuleParamSet{.mode = 1, .channel = 0, .encryption = 7, .key = "any"});
    EXPECT_EQ(Run({"read"}).out, ConfigText("01,01,255,", "*", "any", "00,00,00,00,00,00,"));

    EXPECT_EQ(Sim({"read"}), (ToolRun{0, DEFAULT_MODULE, ""}));
    EXPECT_EQ(Sim({"read", "--save", dir_.File("saved.txt")}), (ToolRun{0, "", ""}));
    EXPECT_EQ(ReadWholeFile(dir_.File("saved.txt")), DEFAULT_MODULE);
    EXPECT_EQ(Sim({"read", "--save", dir_.File("no/x.txt")}), (ToolRun{1, "", "Save database file failure\n"}));
    const std::string lostMemory = "--simulate=" + dir_.File("no/module.txt");  // a store that cannot be kept
    EXPECT_EQ(RunOn(nullptr, {lostMemory, "write", Config(WPA_CONFIG)}),
              (ToolRun{1, "", "Save database file failure\n"}));
}

TEST_F(Tool, WriteSendsTheHandshakeThenTheTwoParameterReportsElseUploadNg) {
    SimulatedInterface& module = platform_.AddModule();
    EXPECT_EQ(Run({"write", Config(WPA_CONFIG)}), (ToolRun{0, "Upload Parameter OK\n", ""}));
    ASSERT_EQ(module.written.size(), 3u);
    EXPECT_EQ(CommandText(module.written[0]), CMD_ANNOUNCE_UPLOAD);
    EXPECT_STREQ(module.module->Params().key, "passphrase");
    EXPECT_EQ(pausedMs_, 850u);  // the upload's waits, nothing more

    HidReport wrongAck{};
    std::memcpy(wrongAck.data() + 1, "AT+iWP OK\r\n", 11);
    module.nextReply = wrongAck;
    EXPECT_EQ(Run({"write", Config(WPA_CONFIG)}), (ToolRun{1, "", "Upload Parameter NG\n"}));
    EXPECT_EQ(module.written.size(), 4u);  // stops before the parameters
    platform_.AddModule().unplugAfterReports = 2;  // the handshake and the first parameter report arrive
    EXPECT_EQ(Run({"--device", "1", "write", Config(WPA_CONFIG)}), (ToolRun{1, "", "Upload Parameter NG\n"}));
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
        EXPECT_EQ(Sim({"write", Config(input)}), (ToolRun{0, "Upload Parameter OK\n", message}));
        EXPECT_EQ(ReadWholeFile(memory_), stored);
        EXPECT_EQ(Sim({"read"}).out, stored);  // a later run loads the module from its memory file
    }
}

TEST_F(Tool, RefusedInputSendsNothing) {
    const std::string before = ConfigText("00,01,01,", "Kept", "0123456789", "00,00,00,00,00,04,");
    WriteWholeFile(memory_, before);
    const std::vector<std::pair<std::string, std::string>> rows = {
        {Config(ConfigText("00,01,01,", "New", "123456789", "00,00,00,00,00,05,")), "The KEY must be 10 characters!\n"},
        {Config(ConfigText("00,01,04,", "New", "short", "00,00,00,00,00,05,")),
         "The KEY must between 8~63 characters!\n"},
        {Config("[G1]\r\n00,01,00,\r\n[G3]\r\n*,\r\n[G4]\r\n00,00,00,00,00,05,\r\n"), "[G2] format error\n"},
        {dir_.File("absent.txt"), "Open database file failure\n"},
    };
    for (const auto& [file, message] : rows) {
        EXPECT_EQ(Sim({"write", file}), (ToolRun{3, "", message}));
        EXPECT_EQ(ReadWholeFile(memory_), before);
    }
    // A refused key touches no module; with no module the file is still checked first.
    SimulatedInterface& module = platform_.AddModule();
    const std::string key26 = Config(ConfigText("00,04,02,", "Net", "short", "00,00,00,00,00,00,"));
    EXPECT_EQ(Run({"write", key26}), (ToolRun{3, "", "The KEY must be 26 characters!\n"}));
    EXPECT_TRUE(module.written.empty());
    EXPECT_EQ(module.openCount, 0);
    SimulatedPlatform none;
    EXPECT_EQ(RunOn(&none, {"write", key26}).status, 3);
    EXPECT_EQ(RunOn(&none, {"write", Config(WPA_CONFIG)}), (ToolRun{1, "", "No LQ-3860 module in slot 0.\n"}));
    // A memory file that is no configuration is refused and left as it is.
    WriteWholeFile(memory_, "not a configuration\r\n");
    EXPECT_EQ(Sim({"read"}), (ToolRun{3, "", "[G1] format error\n"}));
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
    EXPECT_EQ(Sim({"--json", "--device", "4", "read"}).out, "");  // a failed command prints no JSON at all
}

}  // namespace
