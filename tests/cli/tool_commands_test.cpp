// SPDX-License-Identifier: MIT
// The tool's commands in-process, on injected simulated modules (several
// modules, a module in use, odd texts and signal levels) or on its own
// --simulate=FILE module. Denied access and unreadable names: the --all and
// window tests.
#include <filesystem>

#include "device/device_messages.h"
#include "params/config_file.h"
#include "params/field_rules.h"
#include "tool_fixture.h"

namespace lq3860 {

namespace {

using Tool = ToolTest;

// --device picks a slot, a path, or a name (exactly, else the start of one).
TEST_F(Tool, DeviceOptionPicksASlotAPathOrAName) {
    for (const char16_t* name : {u"Alpha", u"Beta", u"Alphabet"}) platform_.AddModule(name);
    platform_.Interface(1).module->Behaviour().SetFirmware('2', '7', "131231");
    platform_.Interface(2).module->Behaviour().SetFirmware('3', '0', "140101");
    const std::vector<std::pair<std::string, ToolRun>> rows = {
        {"1", {0, "version 2.7\ndate 2013/12/31\n", ""}},
        {"sim:2", {0, "version 3.0\ndate 2014/01/01\n", ""}},
        {"Be", {0, "version 2.7\ndate 2013/12/31\n", ""}},
        {"Alpha", {0, "version 1.1\ndate 2026/12/06\n", ""}},
        {"Alp", {5, "", Said("'Alp' names 2 modules; pick one by its slot or path.")}},
        {"Gamma", {5, "", Said("No LQ-3860 module with the path or name 'Gamma'.")}},
        {"3", {5, "", Said("No LQ-3860 module in slot 3.")}},
    };
    for (const auto& [device, expected] : rows) EXPECT_EQ(Run({"--device", device, "info"}), expected) << device;
}

// A product name, firmware bytes and an SSID that would move the cursor, set
// the window title, ring the bell or start a C1 control sequence: escaped
// where a terminal shows them, the bytes themselves in a file or pipe.
TEST_F(Tool, DeviceTextsReachTheTerminalEscaped) {
    ModuleParamSet params{.mode = 0, .channel = 6, .encryption = 0};
    StoreParamText(params.ssid, "a\x1b]0;x\a\x9b");
    SimulatedInterface& module = platform_.AddModule(u"Evil\x1b]0;x\u0007\\ \u009b\u00e9");
    module.module->Behaviour().SetFirmware('\x1b', '\x07', "\2331\n2\r\177");  // octal: 9B, then '1'; 7F
    module.module->Behaviour().SetParams(params);
    EXPECT_EQ(Run({"list"}).out, "0\tEvil\\x1b]0;x\\a\\\\ \\xc2\\x9b\xc3\xa9\tsim:0\n");
    EXPECT_EQ(Run({"info"}).out, "version \\x1b.\\a\ndate 20\\x9b1/\\n2/\\r\\x7f\n");
    // In JSON each byte of the module's 8-bit texts is one character: 0x9B is U+009B.
    EXPECT_NE(Run({"--json", "info"}).out.find(R"("version":"\u001b.\u0007","date":"20\u009b1/\n2/\r\u007f"})"),
              std::string::npos);
    EXPECT_EQ(
        Run({"--json", "list"}).out,
        "{\"modules\":[{\"slot\":0,\"name\":\"Evil\\u001b]0;x\\u0007\\\\ \\u009b\xc3\xa9\",\"path\":\"sim:0\"}]}\n");
    const std::string raw = ConfigText("00,06,00,", "a\x1b]0;x\a\x9b", "*", "00,00,00,00,00,00,");
    EXPECT_EQ(Run({"read"}).out, raw);
    terminal_ = true;
    EXPECT_EQ(Run({"read"}).out, ConfigText("00,06,00,", "a\\x1b]0;x\\a\\x9b", "*", "00,00,00,00,00,00,"));
    // A message names a file as a terminal may show it (the reason is the platform's).
    const std::string said = Run({"write", dir_.File("\x1b[2J.txt")}).err;
    EXPECT_EQ(said.find("lq3860ctl: " + dir_.File("\\x1b[2J.txt") + ": Open database file failure ("), 0u) << said;
}

TEST_F(Tool, AModuleInUseIsListedButRefusedBeforeAnythingIsSent) {
    SimulatedInterface& module = platform_.AddModule();
    module.heldByAnotherProgram = true;
    EXPECT_EQ(Run({"list"}), (ToolRun{0, "0\tLQ-3860 (simulated)\tsim:0\n", ""}));
    EXPECT_EQ(Run({"write", File("in.txt", FRESH_MODULE)}), (ToolRun{6, "", Said(MODULE_IN_USE_MESSAGE)}));
    EXPECT_TRUE(module.written.empty());
}

TEST_F(Tool, SignalLevelOutsideZeroToThreeShowsItsByte) {
    platform_.AddModule().module->Behaviour().SetSignalLevel(0xAB);
    EXPECT_EQ(Run({"signal"}), (ToolRun{0, "signal 0xAB\n", ""}));
    EXPECT_EQ(Run({"--json", "signal"}), (ToolRun{0,
                                                  FIRST_MODULE_JSON + R"("signal":null,"signalByte":171})"
                                                                      "\n",
                                                  ""}));
}

// Ad-Hoc with a stored WPA encryption and channel 0 goes out as 255 on
// channel 1; an SSID over 20 characters is cut; each change is said.
// --strict refuses such a file before the module is touched, and passes one
// that goes out as it stands.
TEST_F(Tool, WriteAppliesTheWindowFieldRulesAndSaysWhatTheyChange) {
    const std::string file = File("in.txt", ConfigText("01,00,03,", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "passphrase"));
    const std::string changes =
        Said("The channel 0 is not offered under Ad-Hoc: sent as 1.") +
        Said("The encryption 3 (WPA-PSK(TKIP)) is not offered under Ad-Hoc: sent as 255 (no selection).") +
        Said(SSID_TOO_LONG_MESSAGE);
    EXPECT_EQ(Sim({"--strict", "write", file}),
              (ToolRun{9, "", changes + Said("--strict: the file is not written as it stands; nothing was sent.")}));
    EXPECT_FALSE(std::filesystem::exists(memory_));  // the module took nothing
    EXPECT_EQ(Sim({"write", "--strict", File("as-is.txt", FRESH_MODULE)}), (ToolRun{0, "Upload Parameter OK\n", ""}));
    EXPECT_EQ(Sim({"write", file}), (ToolRun{0, "Upload Parameter OK\n", changes}));
    EXPECT_EQ(ReadWholeFile(memory_), ConfigText("01,01,255,", "ABCDEFGHIJKLMNOPQRST", "passphrase"));
}

// A module may send any byte. An SSID with CR or LF is refused by every path
// that would write a configuration file (the message names the field, exit
// 3); JSON carries such a text.
TEST_F(Tool, LineBreaksAreRefused) {
    ModuleParamSet params{.mode = 0, .channel = 6, .encryption = 4, .key = "realpassphrase"};
    StoreParamText(params.ssid, "a\r\n[G3]\r\nX");
    platform_.AddModule().module->Behaviour().SetParams(params);
    const std::string saved = File("saved.txt", "old file\r\n");
    EXPECT_EQ(Run({"read", "--save", saved}), (ToolRun{3, "", Said(saved + ": " + SSID_LINE_BREAK_MESSAGE)}));
    EXPECT_EQ(Run({"read"}), (ToolRun{3, "", Said(SSID_LINE_BREAK_MESSAGE)}));
    EXPECT_NE(Run({"--json", "read"}).out.find(R"("ssid":"a\r\n[G3]\r\nX",)"), std::string::npos);
}

// The simulated module's memory file: one that is no configuration is
// refused; one that cannot hold the key the module took fails the run as a
// file that cannot be saved; both messages name the file.
TEST_F(Tool, MemoryFileFailuresNameTheFile) {
    const std::string notConfig = File("not-config.txt", "not a configuration\r\n");
    const std::string crKey = File("cr-key.txt", ConfigText("00,04,03,", "Net", "pass\rphrase"));
    EXPECT_EQ(Run({"--simulate=" + notConfig, "read"}), (ToolRun{3, "", Said(notConfig + ": [G1] format error")}));
    EXPECT_EQ(Sim({"write", crKey}), (ToolRun{3, "", Said(memory_ + ": " + KEY_LINE_BREAK_MESSAGE)}));
}

// The memory file gives back what the module held: an empty SSID and key
// stay empty in the next run, where a configuration file shows them as "*".
TEST_F(Tool, MemoryFileKeepsAnEmptySsidAndKeyEmpty) {
    EXPECT_EQ(Sim({"write", File("in.txt", ConfigText("00,06,00,", "", ""))}),
              (ToolRun{0, "Upload Parameter OK\n", ""}));
    EXPECT_EQ(ReadWholeFile(memory_), ConfigText("00,06,00,", "", ""));
    EXPECT_NE(Sim({"--json", "read"}).out.find(R"("ssid":"","key":"",)"), std::string::npos);
    EXPECT_EQ(Sim({"read"}).out, ConfigText("00,06,00,", "*", "*"));
}

// A Latin-1 SSID with quotes: JSON text, kept by the module's memory file
// for the next run; a failed command prints no JSON at all.
TEST_F(Tool, JsonOutputOfWriteAndRead) {
    const std::string params = FIRST_MODULE_JSON +
                               R"("mode":1,"modeName":"Ad-Hoc","channel":2,"encryption":1,"encryptionName":"WEP64",)"
                               "\"ssid\":\"Caf\xC3\xA9 \\\"q\\\"\","
                               R"("key":"abcdefghij","mac":"00-0A-1B-FF-FF-FF")";
    const std::string file =
        File("in.txt", ConfigText("01,02,01,", "Caf\xE9 \"q\"", "abcdefghij", "00,0A,1B,FF,FF,FF,"));
    EXPECT_EQ(Sim({"--json", "write", file}), (ToolRun{0, params + ",\"result\":\"Upload Parameter OK\"}\n", ""}));
    EXPECT_EQ(Sim({"--json", "read"}), (ToolRun{0, params + "}\n", ""}));
    // --verify reads back: a module that kept its old set fails with its own
    // status and the fields' names, never their texts.
    const std::string verified = ",\"result\":\"Upload Parameter OK\",\"verified\":";
    EXPECT_EQ(Sim({"--json", "write", "--verify", file}),
              (ToolRun{0, params + verified + "true,\"differing\":[]}\n", ""}));
    EXPECT_EQ(Sim({"write", file, "--verify"}), (ToolRun{0, "Upload Parameter OK, verified\n", ""}));
    const std::string other =
        File("other.txt", ConfigText("01,02,01,", "Caf\xE9 \"q\"", "jihgfedcba", "00,0A,1B,FF,FF,FE,"));
    const std::string kept = Said("Verify failed: the module holds other values for key, mac");
    EXPECT_EQ(Sim({"--keep-old-params", "write", "--verify", other}), (ToolRun{10, "", kept}));
    const ToolRun json = Sim({"--keep-old-params", "--json", "write", "--verify", other});
    EXPECT_TRUE(json.status == 10 && json.out.ends_with(verified + "false,\"differing\":[\"key\",\"mac\"]}\n"))
        << json.out;
    EXPECT_EQ(ReadWholeFile(memory_), ReadWholeFile(file));
    EXPECT_EQ(Sim({"--json", "--device", "4", "read"}), (ToolRun{5, "", Said("No LQ-3860 module in slot 4.")}));
}

}  // namespace

}  // namespace lq3860
