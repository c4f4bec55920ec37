// The tool's commands in-process, on injected simulated modules (several
// modules, unreadable names, denied access, failing links, unexpected
// replies) or on its own --simulate=FILE module. Pauses are recorded, not
// slept. Last, the built tool as a process.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/run_tool.h"
#include "device/device_access.h"
#include "device/hid_device_table.h"
#include "device/module_link.h"
#include "lq3860_version.h"
#include "params/field_rules.h"
#include "simulation/simulated_platform.h"
#include "tool_process.h"
#include "types/pause.h"

namespace lq3860 {

namespace {

std::string ConfigText(const std::string& g1, const std::string& ssid, const std::string& key,
                       const std::string& mac = "00,00,00,00,00,01,") {
    return "[G1]\r\n" + g1 + "\r\n[G2]\r\n" + ssid + ",\r\n[G3]\r\n" + key + ",\r\n[G4]\r\n" + mac + "\r\n[END]\r\n";
}
const std::string WPA_CONFIG = ConfigText("00,04,03,", "Net", "passphrase");

// A message line as the tool writes it to stderr.
std::string Said(const std::string& message) {
    return "lq3860ctl: " + message + "\n";
}

class Tool : public ::testing::Test {
protected:
    Tool() { platform_.readWait.Replace(RecordPause()); }

    // On the injected modules, or else on the tool's own simulated module named by the arguments.
    ToolRun Run(const std::vector<std::string>& arguments, bool ownModule = false) {
        std::ostringstream out, err;
        const int status = RunTool(arguments, out, err, {ownModule ? nullptr : &platform_, RecordPause()});
        return {status, out.str(), err.str()};
    }
    PauseFunction RecordPause() {
        return [this](unsigned ms) { pausedMs_ += ms; };
    }
    // On the tool's own simulated module, which keeps its memory in `memory_`.
    ToolRun Sim(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "--simulate=" + memory_);
        return Run(arguments, true);
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
    int files_ = 0;
};

TEST_F(Tool, ListNamesEveryModuleLikeTheWindow) {
    if (!JsonReaderAvailable()) GTEST_SKIP() << "no python3 here to read the JSON back";
    EXPECT_EQ(Run({"--json", "list"}), (ToolRun{0, "{\"modules\":[]}\n", ""}));
    platform_.AddModule(u"First");
    platform_.AddModule(u"Other").vendorId = 0x1234;  // another vendor's device is not listed
    platform_.AddModule(std::nullopt);                // unreadable name
    platform_.AddModule(u"Tab\tand\nnewline");
    EXPECT_EQ(Run({"list"}), (ToolRun{0, "0\tFirst\tsim:0\n1\tDevice 1\tsim:2\n2\tTab\\tand\\nnewline\tsim:3\n", ""}));
    EXPECT_EQ(DecodeJson(Sim({"--json", "list"}).out),
              R"j({"modules":[{"index":0,"name":"LQ-3860 (simulated)","path":"sim:0"}]})j");
}

TEST_F(Tool, DeviceTextsReachTheTerminalEscaped) {
    // A product name and firmware bytes that would move the cursor, set the
    // window title, ring the bell or start a C1 control sequence.
    platform_.AddModule(u"Evil\x1b]0;x\u0007\\ \u009b\u00e9")
        .module->Behaviour()
        .SetFirmware('\x1b', '\x07',
                     "\x9b"
                     "1\n2\r\x7f");
    EXPECT_EQ(Run({"list"}).out, "0\tEvil\\x1b]0;x\\a\\\\ \\xc2\\x9b\xc3\xa9\tsim:0\n");
    EXPECT_EQ(Run({"info"}).out, "version \\x1b.\\a\ndate 20\\x9b1/\\n2/\\r\\x7f\n");
    // JSON keeps the name whole, escaped its own way.
    EXPECT_EQ(
        Run({"--json", "list"}).out,
        "{\"modules\":[{\"index\":0,\"name\":\"Evil\\u001b]0;x\\u0007\\\\ \\u009b\xc3\xa9\",\"path\":\"sim:0\"}]}\n");
}

TEST_F(Tool, AModuleInUseIsRefusedBeforeAnythingIsSent) {
    SimulatedInterface& module = platform_.AddModule();
    module.heldByAnotherProgram = true;
    EXPECT_EQ(Run({"list"}), (ToolRun{0, "0\tLQ-3860 (simulated)\tsim:0\n", ""}));  // still listed with its name
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"info"}, {"signal"}, {"read"}, {"--json", "write", Config(WPA_CONFIG)}}) {
        EXPECT_EQ(Run(command), (ToolRun{1, "", Said(MODULE_IN_USE_MESSAGE)})) << command.back();
    }
    EXPECT_TRUE(module.written.empty());
    // Held by a window of this process, then let go.
    module.heldByAnotherProgram = false;
    HidDeviceTable window(&platform_);
    window.HID_ClearList();
    ASSERT_EQ(window.HID_Enumerate(), 1);
    ASSERT_EQ(window.HID_Open(0), 1);
    EXPECT_EQ(Run({"info"}), (ToolRun{1, "", Said(MODULE_IN_USE_MESSAGE)}));
    window.HID_Close();
    EXPECT_EQ(Run({"info"}).status, 0);
}

TEST_F(Tool, ModuleWithoutPermissionIsExplained) {
    platform_.AddModule().denyAccess = true;
    const ToolRun list = Run({"list"});
    EXPECT_EQ(list, (ToolRun{0, "", Said(DEVICE_ACCESS_DENIED_MESSAGE)}));
    EXPECT_EQ(Run({"info"}), (ToolRun{1, "", Said("No LQ-3860 module in slot 0.") + list.err}));
}

TEST_F(Tool, InfoAndDeviceOptionPickTheSlot) {
    if (!JsonReaderAvailable()) GTEST_SKIP() << "no python3 here to read the JSON back";
    platform_.AddModule(u"A").module->Behaviour().SetFirmware('1', '0', "250101");
    platform_.AddModule(u"B").module->Behaviour().SetFirmware('2', '7', "131231");
    EXPECT_EQ(Run({"--device", "1", "info"}), (ToolRun{0, "version 2.7\ndate 2013/12/31\n", ""}));
    EXPECT_EQ(Run({"info"}).out, "version 1.0\ndate 2025/01/01\n");
    EXPECT_EQ(Run({"--device", "2", "info"}), (ToolRun{1, "", Said("No LQ-3860 module in slot 2.")}));
    EXPECT_EQ(DecodeJson(Sim({"--json", "info"}).out), R"({"date":"2026/12/06","version":"1.1"})");
    // --verbose: the link's debug texts as they happen, one message line each.
    EXPECT_EQ(Sim({"--verbose", "info"}).err, Said("HID_Open") + Said("OK"));
    EXPECT_EQ(Sim({"-v", "--silent", "signal"}).err, Said("HID_Open") + Said("HID_Read Err") + Said("HID_Read Err"));
}

TEST_F(Tool, LinkFailuresAreNamed) {
    platform_.AddModule().module->faults.silent = true;
    platform_.AddModule().failWrite = true;
    platform_.AddModule().module->nextReply = HidReport{};
    platform_.AddModule().failRead = true;
    EXPECT_EQ(Run({"--device", "0", "info"}), (ToolRun{1, "", Said("HID_Read Err")}));
    EXPECT_EQ(Run({"--device", "1", "signal"}), (ToolRun{1, "", Said("HID_Write Err")}));
    EXPECT_EQ(Run({"--device", "2", "info"}), (ToolRun{1, "", Said("NG")}));
    EXPECT_EQ(Run({"--device", "3", "read"}), (ToolRun{1, "", Said("Download Parameter NG")}));
}

TEST_F(Tool, SignalLevelOutsideZeroToThreeShowsItsByte) {
    SimulatedInterface& module = platform_.AddModule();
    for (const auto& [level, shown] : std::vector<std::pair<std::uint8_t, std::string>>{
             {0x35, "signal 0x35\n"}, {0xAB, "signal 0xAB\n"}, {'0', "signal 0\n"}}) {
        module.module->Behaviour().SetSignalLevel(level);
        EXPECT_EQ(Run({"signal"}), (ToolRun{0, shown, ""}));
    }
    module.module->Behaviour().SetSignalLevel(0x0A);
    EXPECT_EQ(Run({"--json", "signal"}).out, "{\"signal\":\"0x0A\",\"signalByte\":10}\n");
    EXPECT_EQ(pausedMs_, 4u * SIGNAL_REPLY_WAIT_MS);  // the reply wait of every request
    EXPECT_EQ(Sim({"signal"}), (ToolRun{0, "signal 3\n", ""}));
}

TEST_F(Tool, ReadShowsWhatTheWindowWouldSaveAndNamesSaveFailures) {
    // Ad-Hoc on channel 0 (shown as 1), encryption 7 (outside the list: saved as 255), no SSID (saved as "*").
    platform_.AddModule().module->Behaviour().SetParams(
        ModuleParamSet{.mode = 1, .channel = 0, .encryption = 7, .key = "any"});
    EXPECT_EQ(Run({"read"}), (ToolRun{0, ConfigText("01,01,255,", "*", "any", "00,00,00,00,00,00,"), ""}));
    // A fresh simulated module: AP, channel 6, WPA2-PSK(AES), "LQ-3860", its default key.
    EXPECT_EQ(Sim({"read", "--save", dir_.File("saved.txt")}), (ToolRun{0, "", ""}));
    EXPECT_EQ(ReadWholeFile(dir_.File("saved.txt")),
              ConfigText("00,06,04,", "LQ-3860", "lq3860-default", "00,0C,29,38,60,01,"));
    EXPECT_EQ(
        Sim({"read", "--save", dir_.File("no/x.txt")}),
        (ToolRun{1, "", Said(dir_.File("no/x.txt") + ": Save database file failure (No such file or directory)")}));
    const std::string lostMemory = "--simulate=" + dir_.File("no/module.txt");  // a store that cannot be kept
    EXPECT_EQ(Run({lostMemory, "write", Config(WPA_CONFIG)}, true),
              (ToolRun{1, "",
                       Said(dir_.File("no/module.txt") + ": Save database file failure (No such file or directory)")}));
}

TEST_F(Tool, WriteSendsTheHandshakeThenTheTwoParameterReportsElseUploadNg) {
    SimulatedInterface& module = platform_.AddModule();
    EXPECT_EQ(Run({"write", Config(WPA_CONFIG)}), (ToolRun{0, "Upload Parameter OK\n", ""}));
    EXPECT_EQ(module.written.size(), 3u);
    EXPECT_STREQ(module.module->Behaviour().Params().key, "passphrase");
    EXPECT_EQ(pausedMs_, 850u);  // the upload's waits, nothing more

    module.module->nextReply = HidReport{};  // no acknowledgement of the handshake
    EXPECT_EQ(Run({"write", Config(WPA_CONFIG)}), (ToolRun{1, "", Said("Upload Parameter NG")}));
    EXPECT_EQ(module.written.size(), 4u);                         // stops before the parameters
    platform_.AddModule().module->faults.unplugAfterReports = 2;  // the handshake and the first parameter report arrive
    EXPECT_EQ(Run({"--device", "1", "write", Config(WPA_CONFIG)}), (ToolRun{1, "", Said("Upload Parameter NG")}));
}

TEST_F(Tool, WriteAppliesTheWindowFieldRules) {
    const std::vector<std::tuple<std::string, std::string, std::string>> rows = {
        // Ad-Hoc with a stored WPA encryption and channel 0: no encryption (sent as 255), channel 1.
        {ConfigText("01,00,03,", "Lab", "wpa-passphrase"), ConfigText("01,01,255,", "Lab", "wpa-passphrase"), ""},
        // "NONE" clears the key before it is sent.
        {ConfigText("00,03,00,", "Open", "left-over-key"), ConfigText("00,03,00,", "Open", "*"), ""},
        // An SSID over 20 characters is refused with a message, then cut to 20.
        {ConfigText("00,03,00,", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "*"),
         ConfigText("00,03,00,", "ABCDEFGHIJKLMNOPQRST", "*"), Said(SSID_TOO_LONG_MESSAGE)},
    };
    for (const auto& [input, stored, message] : rows) {
        EXPECT_EQ(Sim({"write", Config(input)}), (ToolRun{0, "Upload Parameter OK\n", message}));
        EXPECT_EQ(ReadWholeFile(memory_), stored);
    }
}

TEST_F(Tool, RefusedInputSendsNothing) {
    const std::string before = ConfigText("00,01,01,", "Kept", "0123456789");
    WriteWholeFile(memory_, before);
    const std::string noSsid = Config("[G1]\r\n00,01,00,\r\n[G3]\r\n*,\r\n[G4]\r\n00,00,00,00,00,05,\r\n");
    EXPECT_EQ(Sim({"write", noSsid}), (ToolRun{3, "", Said(noSsid + ": [G2] format error")}));
    EXPECT_EQ(ReadWholeFile(memory_), before);
    // A refused key touches no module.
    SimulatedInterface& module = platform_.AddModule();
    EXPECT_EQ(Run({"write", Config(ConfigText("00,04,02,", "Net", "short"))}),
              (ToolRun{3, "", Said("The KEY must be 26 characters!")}));
    EXPECT_EQ(std::tuple(module.written.size(), module.openCount), std::tuple(0u, 0));
    // A memory file that is no configuration is refused and left as it is.
    WriteWholeFile(memory_, "not a configuration\r\n");
    EXPECT_EQ(Sim({"read"}), (ToolRun{3, "", Said(memory_ + ": [G1] format error")}));
    EXPECT_EQ(ReadWholeFile(memory_), "not a configuration\r\n");
}

TEST_F(Tool, JsonOutputOfReadAndWrite) {
    if (!JsonReaderAvailable()) GTEST_SKIP() << "no python3 here to read the JSON back";
    const std::string params = R"("channel":2,"encryption":1,"encryptionName":"WEP64","key":"abcdefghij",)"
                               R"("mac":"00-0A-1B-FF-FF-FF","mode":1,"modeName":"Ad-Hoc",)";
    const std::string ssid = "\"ssid\":\"Caf\xC3\xA9 \\\"1\\\"\"";  // Latin-1 e acute as UTF-8
    const ToolRun write =
        Sim({"--json", "write", Config(ConfigText("01,02,01,", "Caf\xE9 \"1\"", "abcdefghij", "00,0A,1B,FF,FF,FF,"))});
    EXPECT_EQ(std::tuple(write.status, DecodeJson(write.out)),
              std::tuple(0, "{" + params + "\"result\":\"Upload Parameter OK\"," + ssid + "}"))
        << write.err;
    // A later run loads the module from its memory file.
    EXPECT_EQ(DecodeJson(Sim({"--json", "read"}).out), "{" + params + ssid + "}");
    EXPECT_EQ(Sim({"--json", "--device", "4", "read"}).out, "");  // a failed command prints no JSON at all
}

TEST(ToolProcess, HelpDocumentsEveryCommandOptionAndExitStatus) {
    const ToolRun run = RunLq3860ctl({"--help"});
    EXPECT_EQ(std::tuple(run.status, run.err), std::tuple(0, ""));
    for (const char* word :
         {"list", "info", "signal", "read [--save FILE]", "write FILE", "getmac IPV4", "--adapter NAME",
          "--simulate[=FILE]", "--device N", "--all", "--modules N", "--json", "--version", "Upload Parameter NG",
          "  0  success", "  1  no module", "  2  wrong usage", "  3  refused input", "  4  MAC not found"}) {
        EXPECT_NE(run.out.find(word), std::string::npos) << word;
    }
    EXPECT_EQ(RunLq3860ctl({"--version"}), (ToolRun{0, std::string("lq3860ctl ") + LQ3860_VERSION + "\n", ""}));
}

}  // namespace

}  // namespace lq3860
