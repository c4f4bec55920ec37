// The tool as a process against the simulated module: list, info, signal,
// and read/write round trips through a --simulate=FILE memory.
#include <gtest/gtest.h>

#include "json_checker.h"
#include "params/field_rules.h"
#include "tool_process.h"

namespace {

std::string ConfigText(const std::string& g1, const std::string& ssid, const std::string& key,
                       const std::string& mac) {
    return "[G1]\r\n" + g1 + "\r\n[G2]\r\n" + ssid + ",\r\n[G3]\r\n" + key + ",\r\n[G4]\r\n" + mac +
           "\r\n[END]\r\n";
}

// A fresh simulated module: AP, channel 6, WPA2-PSK(AES), "LQ-3860", its default key.
const std::string DEFAULT_MODULE = ConfigText("00,06,04,", "LQ-3860", "lq3860-default", "00,0C,29,38,60,01,");

TEST(ToolSimulatedModule, ListShowsTheOneModule) {
    const ToolRun run = RunLq3860ctl({"--simulate", "list"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "0\tLQ-3860 (simulated)\tsim:0\n");
    EXPECT_TRUE(run.err.empty()) << run.err;

    const ToolRun json = RunLq3860ctl({"--json", "list", "--simulate"});
    EXPECT_EQ(json.status, 0);
    const auto value = ParseJson(json.out);
    ASSERT_TRUE(value.has_value()) << json.out;
    ASSERT_EQ((*value)["modules"].elements.size(), 1u);
    EXPECT_EQ((*value)["modules"].elements[0]["index"].number, 0);
    EXPECT_EQ((*value)["modules"].elements[0]["name"].text, "LQ-3860 (simulated)");
    EXPECT_EQ((*value)["modules"].elements[0]["path"].text, "sim:0");
}

TEST(ToolSimulatedModule, InfoAndSignalPrintTheWindowTexts) {
    const ToolRun info = RunLq3860ctl({"--simulate", "info"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "version 1.1\ndate 2026/12/06\n");

    const ToolRun infoJson = RunLq3860ctl({"--simulate", "--json", "info"});
    const auto value = ParseJson(infoJson.out);
    ASSERT_TRUE(value.has_value()) << infoJson.out;
    EXPECT_EQ((*value)["version"].text, "1.1");
    EXPECT_EQ((*value)["date"].text, "2026/12/06");

    const ToolRun signal = RunLq3860ctl({"--simulate", "signal"});
    EXPECT_EQ(signal.status, 0) << signal.err;
    EXPECT_EQ(signal.out, "signal 3\n");
}

TEST(ToolSimulatedModule, ReadPrintsTheNineLinesOfSaveConfiguration) {
    const ToolRun run = RunLq3860ctl({"--simulate", "read"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, DEFAULT_MODULE);

    TempDir dir;
    const ToolRun saved = RunLq3860ctl({"--simulate", "read", "--save", dir.File("saved.txt")});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_TRUE(saved.out.empty());
    EXPECT_EQ(ReadWholeFile(dir.File("saved.txt")), DEFAULT_MODULE);

    const ToolRun unsaved = RunLq3860ctl({"--simulate", "read", "--save", dir.File("no-such-dir/x.txt")});
    EXPECT_EQ(unsaved.status, 1);
    EXPECT_EQ(unsaved.err, "Save database file failure\n");
}

TEST(ToolSimulatedModule, WriteThenReadInTwoRunsSeeTheSameModule) {
    TempDir dir;
    const std::string memory = dir.File("module.txt");
    const std::string wanted = ConfigText("00,11,02,", "Office, 2nd floor", "0123456789abcdef0123456789",
                                          "02,1A,2B,3C,4D,5E,");
    WriteWholeFile(dir.File("in.txt"), wanted);

    const ToolRun write = RunLq3860ctl({"--simulate=" + memory, "write", dir.File("in.txt")});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(write.out, "Upload Parameter OK\n");
    EXPECT_EQ(ReadWholeFile(memory), wanted);

    const ToolRun read = RunLq3860ctl({"read", "--simulate=" + memory});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, wanted);
}

TEST(ToolSimulatedModule, WriteAppliesTheWindowFieldRules) {
    TempDir dir;
    const std::string memory = dir.File("module.txt");
    // Ad-Hoc with a stored WPA encryption and channel 0: the window shows no
    // encryption (sent as 255) and channel 1.
    WriteWholeFile(dir.File("adhoc.txt"), ConfigText("01,00,03,", "Lab", "wpa-passphrase", "00,00,00,00,00,01,"));
    EXPECT_EQ(RunLq3860ctl({"--simulate=" + memory, "write", dir.File("adhoc.txt")}).status, 0);
    EXPECT_EQ(ReadWholeFile(memory), ConfigText("01,01,255,", "Lab", "wpa-passphrase", "00,00,00,00,00,01,"));

    // "NONE" clears the key before it is sent.
    WriteWholeFile(dir.File("open.txt"), ConfigText("00,03,00,", "Open", "left-over-key", "00,00,00,00,00,02,"));
    EXPECT_EQ(RunLq3860ctl({"--simulate=" + memory, "write", dir.File("open.txt")}).status, 0);
    EXPECT_EQ(RunLq3860ctl({"--simulate=" + memory, "read"}).out,
              ConfigText("00,03,00,", "Open", "*", "00,00,00,00,00,02,"));

    // An SSID over 20 characters is refused with a message, then cut to 20.
    WriteWholeFile(dir.File("long.txt"),
                   ConfigText("00,03,00,", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "*", "00,00,00,00,00,03,"));
    const ToolRun longSsid = RunLq3860ctl({"--simulate=" + memory, "write", dir.File("long.txt")});
    EXPECT_EQ(longSsid.status, 0);
    EXPECT_EQ(longSsid.err, std::string(SSID_TOO_LONG_MESSAGE) + "\n");
    EXPECT_EQ(ReadWholeFile(memory), ConfigText("00,03,00,", "ABCDEFGHIJKLMNOPQRST", "*", "00,00,00,00,00,03,"));
}

TEST(ToolSimulatedModule, RefusedInputSendsNothing) {
    TempDir dir;
    const std::string memory = dir.File("module.txt");
    const std::string before = ConfigText("00,01,01,", "Kept", "0123456789", "00,00,00,00,00,04,");
    WriteWholeFile(memory, before);

    WriteWholeFile(dir.File("wep64.txt"), ConfigText("00,01,01,", "New", "123456789", "00,00,00,00,00,05,"));
    const ToolRun key = RunLq3860ctl({"--simulate=" + memory, "write", dir.File("wep64.txt")});
    EXPECT_EQ(key.status, 3);
    EXPECT_EQ(key.err, "The KEY must be 10 characters!\n");
    EXPECT_TRUE(key.out.empty());
    EXPECT_EQ(ReadWholeFile(memory), before);

    WriteWholeFile(dir.File("wpa.txt"), ConfigText("00,01,04,", "New", "short", "00,00,00,00,00,05,"));
    const ToolRun wpa = RunLq3860ctl({"--simulate=" + memory, "write", dir.File("wpa.txt")});
    EXPECT_EQ(wpa.status, 3);
    EXPECT_EQ(wpa.err, "The KEY must between 8~63 characters!\n");
    EXPECT_EQ(ReadWholeFile(memory), before);

    WriteWholeFile(dir.File("no-g2.txt"), "[G1]\r\n00,01,00,\r\n[G3]\r\n*,\r\n[G4]\r\n00,00,00,00,00,05,\r\n");
    const ToolRun bad = RunLq3860ctl({"--simulate=" + memory, "write", dir.File("no-g2.txt")});
    EXPECT_EQ(bad.status, 3);
    EXPECT_EQ(bad.err, "[G2] format error\n");
    EXPECT_EQ(ReadWholeFile(memory), before);

    const ToolRun missing = RunLq3860ctl({"--simulate=" + memory, "write", dir.File("absent.txt")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.err, "Open database file failure\n");
    EXPECT_EQ(ReadWholeFile(memory), before);
}

TEST(ToolSimulatedModule, UnreadableMemoryFileIsRefusedInput) {
    TempDir dir;
    WriteWholeFile(dir.File("broken.txt"), "not a configuration\r\n");
    const ToolRun run = RunLq3860ctl({"--simulate=" + dir.File("broken.txt"), "read"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "[G1] format error\n");
    EXPECT_EQ(ReadWholeFile(dir.File("broken.txt")), "not a configuration\r\n");
}

TEST(ToolSimulatedModule, JsonOutputOfReadAndWrite) {
    TempDir dir;
    const std::string memory = dir.File("module.txt");
    WriteWholeFile(dir.File("in.txt"), ConfigText("01,02,01,", "Caf\xE9 \"1\"", "abcdefghij", "00,0A,1B,FF,FF,FF,"));
    const ToolRun write = RunLq3860ctl({"--json", "--simulate=" + memory, "write", dir.File("in.txt")});
    EXPECT_EQ(write.status, 0) << write.err;
    const auto written = ParseJson(write.out);
    ASSERT_TRUE(written.has_value()) << write.out;
    EXPECT_EQ((*written)["result"].text, "Upload Parameter OK");

    const ToolRun read = RunLq3860ctl({"--json", "--simulate=" + memory, "read"});
    EXPECT_EQ(read.status, 0) << read.err;
    const auto value = ParseJson(read.out);
    ASSERT_TRUE(value.has_value()) << read.out;
    EXPECT_EQ((*value)["mode"].number, 1);
    EXPECT_EQ((*value)["modeName"].text, "Ad-Hoc");
    EXPECT_EQ((*value)["channel"].number, 2);
    EXPECT_EQ((*value)["encryption"].number, 1);
    EXPECT_EQ((*value)["encryptionName"].text, "WEP64");
    EXPECT_EQ((*value)["ssid"].text, "Caf\xC3\xA9 \"1\"");  // Latin-1 e acute as UTF-8
    EXPECT_EQ((*value)["key"].text, "abcdefghij");
    EXPECT_EQ((*value)["mac"].text, "00-0A-1B-FF-FF-FF");

    // A failed command prints no JSON at all.
    const ToolRun failed = RunLq3860ctl({"--json", "--simulate", "--device", "4", "read"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.out.empty()) << failed.out;
}

}  // namespace
