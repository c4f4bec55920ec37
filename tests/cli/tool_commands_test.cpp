// SPDX-License-Identifier: MIT
// The tool's commands in-process, on injected simulated modules (several
// modules, unreadable names, denied access, failing links, unexpected
// replies) or on its own --simulate=FILE module.
#include "device/device_messages.h"
#include "device/module_link.h"
#include "params/config_file.h"
#include "params/field_rules.h"
#include "tool_fixture.h"

namespace lq3860 {

namespace {

using Tool = ToolTest;

const std::string WPA_CONFIG = ConfigText("00,04,03,", "Net", "passphrase");

TEST_F(Tool, ListNamesEveryModuleLikeTheWindow) {
    EXPECT_EQ(Run({"--json", "list"}), (ToolRun{0, "{\"modules\":[]}\n", ""}));
    platform_.AddModule(u"First");
    platform_.AddModule(u"Other").vendorId = 0x1234;  // another vendor's device is not listed
    platform_.AddModule(std::nullopt);                // unreadable name
    EXPECT_EQ(Run({"list"}), (ToolRun{0, "0\tFirst\tsim:0\n1\tDevice 1\tsim:2\n", ""}));
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

TEST_F(Tool, AModuleInUseIsListedButRefusedBeforeAnythingIsSent) {
    SimulatedInterface& module = platform_.AddModule();
    module.heldByAnotherProgram = true;
    EXPECT_EQ(Run({"list"}), (ToolRun{0, "0\tLQ-3860 (simulated)\tsim:0\n", ""}));
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"info"}, {"signal"}, {"read"}, {"--json", "write", File("in.txt", WPA_CONFIG)}}) {
        EXPECT_EQ(Run(command), (ToolRun{1, "", Said(MODULE_IN_USE_MESSAGE)})) << command.back();
    }
    EXPECT_TRUE(module.written.empty());
    module.heldByAnotherProgram = false;  // let go
    EXPECT_EQ(Run({"info"}).status, 0);
}

TEST_F(Tool, ModuleWithoutPermissionIsExplained) {
    platform_.AddModule().denyAccess = true;
    const ToolRun list = Run({"list"});
    EXPECT_EQ(list, (ToolRun{0, "", Said(DEVICE_ACCESS_DENIED_MESSAGE)}));
    EXPECT_EQ(Run({"info"}), (ToolRun{1, "", Said("No LQ-3860 module in slot 0.") + list.err}));
}

TEST_F(Tool, InfoOfTheSlotTheDeviceOptionPicksAndTheLinksDebugTexts) {
    platform_.AddModule(u"A").module->Behaviour().SetFirmware('1', '0', "250101");
    platform_.AddModule(u"B").module->Behaviour().SetFirmware('2', '7', "131231");
    EXPECT_EQ(Run({"--device", "1", "info"}), (ToolRun{0, "version 2.7\ndate 2013/12/31\n", ""}));
    EXPECT_EQ(Run({"--json", "info"}), (ToolRun{0, "{\"version\":\"1.0\",\"date\":\"2025/01/01\"}\n", ""}));
    // --verbose: the link's debug texts as they happen, one message line each.
    EXPECT_EQ(Sim({"--verbose", "info"}).err, Said("HID_Open") + Said("OK"));
    EXPECT_EQ(Sim({"-v", "--silent", "signal"}).err, Said("HID_Open") + Said("HID_Read Err") + Said("HID_Read Err"));
}

// The texts of the other commands' failures are checked with --all.
TEST_F(Tool, LinkFailuresAreNamed) {
    platform_.AddModule().failWrite = true;
    platform_.AddModule().failRead = true;
    EXPECT_EQ(Run({"signal"}), (ToolRun{1, "", Said("HID_Write Err")}));
    EXPECT_EQ(Run({"--device", "1", "read"}), (ToolRun{1, "", Said("Download Parameter NG")}));
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
    EXPECT_EQ(pausedMs_.load(), 4u * SIGNAL_REPLY_WAIT_MS);  // the reply wait of every request
}

// Ad-Hoc on channel 0 (shown as 1), encryption 7 (outside the list: shown as
// 255, which has no name), no SSID (saved as "*").
TEST_F(Tool, ReadShowsWhatTheWindowWouldSave) {
    platform_.AddModule().module->Behaviour().SetParams(
        ModuleParamSet{.mode = 1, .channel = 0, .encryption = 7, .key = "any"});
    EXPECT_EQ(Run({"read"}), (ToolRun{0, ConfigText("01,01,255,", "*", "any", "00,00,00,00,00,00,"), ""}));
    EXPECT_EQ(Run({"--json", "read"}).out,
              R"({"mode":1,"modeName":"Ad-Hoc","channel":1,"encryption":255,"encryptionName":null,"ssid":"",)"
              R"("key":"any","mac":"00-00-00-00-00-00"})"
              "\n");
}

TEST_F(Tool, WriteSendsTheHandshakeThenTheTwoParameterReportsElseUploadNg) {
    SimulatedInterface& module = platform_.AddModule();
    EXPECT_EQ(Run({"write", File("in.txt", WPA_CONFIG)}), (ToolRun{0, "Upload Parameter OK\n", ""}));
    EXPECT_EQ(module.written.size(), 3u);
    EXPECT_STREQ(module.module->Behaviour().Params().key, "passphrase");
    EXPECT_EQ(pausedMs_.load(), 850u);  // the upload's waits, nothing more

    module.module->nextReply = HidReport{};  // no acknowledgement of the handshake
    EXPECT_EQ(Run({"write", dir_.File("in.txt")}), (ToolRun{1, "", Said("Upload Parameter NG")}));
    EXPECT_EQ(module.written.size(), 4u);                         // stops before the parameters
    platform_.AddModule().module->faults.unplugAfterReports = 2;  // the handshake and the first parameter report arrive
    EXPECT_EQ(Run({"--device", "1", "write", dir_.File("in.txt")}), (ToolRun{1, "", Said("Upload Parameter NG")}));
}

TEST_F(Tool, WriteAppliesTheWindowFieldRules) {
    const std::vector<std::tuple<std::string, std::string, std::string>> rows = {
        // Ad-Hoc with a stored WPA encryption and channel 0: no encryption (sent as 255), channel 1.
        {ConfigText("01,00,03,", "Lab", "wpa-passphrase"), ConfigText("01,01,255,", "Lab", "wpa-passphrase"), ""},
        // An SSID over 20 characters is refused with a message, then cut to 20.
        {ConfigText("00,03,00,", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "*"),
         ConfigText("00,03,00,", "ABCDEFGHIJKLMNOPQRST", "*"), Said(SSID_TOO_LONG_MESSAGE)},
    };
    for (const auto& [input, stored, message] : rows) {
        EXPECT_EQ(Sim({"write", File("in.txt", input)}), (ToolRun{0, "Upload Parameter OK\n", message}));
        EXPECT_EQ(ReadWholeFile(memory_), stored);
    }
}

TEST_F(Tool, ARefusedKeyTouchesNoModule) {
    SimulatedInterface& module = platform_.AddModule();
    EXPECT_EQ(Run({"write", File("short-key.txt", ConfigText("00,04,02,", "Net", "short"))}),
              (ToolRun{3, "", Said("The KEY must be 26 characters!")}));
    EXPECT_EQ(std::tuple(module.written.size(), module.openCount), std::tuple(0u, 0));
}

// A module may send any byte. An SSID with CR or LF is refused by every path
// that would write a configuration file (the message names the field, exit
// 3), and the old file stays; JSON carries such a text.
TEST_F(Tool, LineBreaksAreRefusedAndTheOldFileStays) {
    ModuleParamSet params{.mode = 0, .channel = 6, .encryption = 4, .key = "realpassphrase"};
    StoreParamText(params.ssid, "a\r\n[G3]\r\nX");
    platform_.AddModule().module->Behaviour().SetParams(params);
    const std::string saved = File("saved.txt", "old file\r\n");
    const std::string refused = SSID_LINE_BREAK_MESSAGE;
    for (const auto& [arguments, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"read", "--save", saved}, saved + ": " + refused},
             {{"--json", "read", "--save", saved}, saved + ": " + refused},
             {{"read"}, refused}}) {
        EXPECT_EQ(Run(arguments), (ToolRun{3, "", Said(message)})) << arguments.front();
        EXPECT_EQ(ReadWholeFile(saved), "old file\r\n");
    }
    const ToolRun json = Run({"--json", "read"});
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find(R"("ssid":"a\r\n[G3]\r\nX",)"), std::string::npos) << json.out;
}

// The simulated module's memory file: one that is no configuration is
// refused and left as it is; one that cannot be written, or cannot hold the
// key the module took, fails the run naming the file.
TEST_F(Tool, MemoryFileFailuresNameTheFile) {
    const std::string notConfig = File("not-config.txt", "not a configuration\r\n");
    const std::string missing = dir_.File("no/module.txt");
    const std::string kept = ConfigText("00,01,01,", "Kept", "0123456789");
    WriteWholeFile(memory_, kept);
    const std::string crKey = File("cr-key.txt", ConfigText("00,04,03,", "Net", "pass\rphrase"));
    EXPECT_EQ(Run({"--simulate=" + notConfig, "read"}), (ToolRun{3, "", Said(notConfig + ": [G1] format error")}));
    EXPECT_EQ(Run({"--simulate=" + missing, "write", File("good.txt", FRESH_MODULE)}),
              (ToolRun{1, "", Said(missing + ": Save database file failure (No such file or directory)")}));
    EXPECT_EQ(Sim({"write", crKey}), (ToolRun{1, "", Said(memory_ + ": " + KEY_LINE_BREAK_MESSAGE)}));
    EXPECT_EQ(ReadWholeFile(notConfig), "not a configuration\r\n");
    EXPECT_EQ(ReadWholeFile(memory_), kept);
}

// A Latin-1 SSID with quotes, over 20 characters: cut and reported so, and
// kept by the module's memory file for the next run.
TEST_F(Tool, JsonOutputOfWriteAndRead) {
    const std::string params = R"({"mode":1,"modeName":"Ad-Hoc","channel":2,"encryption":1,"encryptionName":"WEP64",)"
                               "\"ssid\":\"Caf\xC3\xA9 \\\"quoted\\\" 012345\","
                               R"("key":"abcdefghij","mac":"00-0A-1B-FF-FF-FF")";
    const std::string file =
        File("in.txt", ConfigText("01,02,01,", "Caf\xE9 \"quoted\" 0123456789", "abcdefghij", "00,0A,1B,FF,FF,FF,"));
    EXPECT_EQ(Sim({"--json", "write", file}),
              (ToolRun{0, params + ",\"result\":\"Upload Parameter OK\"}\n", Said(SSID_TOO_LONG_MESSAGE)}));
    EXPECT_EQ(Sim({"--json", "read"}), (ToolRun{0, params + "}\n", ""}));
    // A failed command prints no JSON at all.
    EXPECT_EQ(Sim({"--json", "--device", "4", "read"}), (ToolRun{1, "", Said("No LQ-3860 module in slot 4.")}));
}

}  // namespace

}  // namespace lq3860
