// The tool's files: failures name the path and the system's reason; a text a
// configuration file cannot carry is refused and the old file stays; FIFOs
// and /dev/stdout take the saved lines; the SSID goes out as its first 20
// characters and is reported so. In-process on simulated modules (waits
// recorded, not slept), and the built tool as a process.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "cli/run_tool.h"
#include "params/config_file.h"
#include "params/field_rules.h"
#include "simulation/simulated_platform.h"
#include "tool_process.h"

namespace lq3860 {

namespace {

std::string ConfigText(const std::string& g1, const std::string& ssid, const std::string& key,
                       const std::string& mac = "00,00,00,00,00,01,") {
    return "[G1]\r\n" + g1 + "\r\n[G2]\r\n" + ssid + ",\r\n[G3]\r\n" + key + ",\r\n[G4]\r\n" + mac + "\r\n[END]\r\n";
}
// What a fresh simulated module holds, as a configuration file.
const std::string FRESH_MODULE = ConfigText("00,06,04,", "LQ-3860", "lq3860-default", "00,0C,29,38,60,01,");

std::string Said(const std::string& message) {
    return "lq3860ctl: " + message + "\n";
}

class ToolFiles : public ::testing::Test {
protected:
    // On the injected modules, or on the tool's own simulated module when the
    // arguments ask for one (--simulate).
    ToolRun Run(const std::vector<std::string>& arguments, bool ownModule = false) {
        std::ostringstream out, err;
        const int status = RunTool(arguments, out, err, {ownModule ? nullptr : &platform_, [](unsigned) {}});
        return {status, out.str(), err.str()};
    }
    std::string File(const std::string& name, const std::string& text) {
        WriteWholeFile(dir_.File(name), text);
        return dir_.File(name);
    }
    // A module whose SSID and key are as given (any bytes, as a module may send).
    void ModuleHolding(const std::string& ssid, const std::string& key) {
        ModuleParamSet params{.mode = 0, .channel = 6, .encryption = 4};
        StoreParamText(params.ssid, ssid);
        StoreParamText(params.key, key);
        platform_.AddModule().module->Behaviour().SetParams(params);
    }

    SimulatedPlatform platform_;
    TempDir dir_;
};

const std::string WPA_CONFIG = ConfigText("00,04,03,", "Net", "passphrase");

}  // namespace

// Every failure of a file names the file; a system error adds its reason.
// Nothing is sent or kept when the input file fails.
TEST_F(ToolFiles, FileFailuresNameThePathAndTheReason) {
    ASSERT_EQ(::mkfifo(dir_.File("fifo").c_str(), 0644), 0);
    std::filesystem::create_directory(dir_.File("folder"));
    const std::string big = File("big.txt", std::string(CONFIG_FILE_MAX + 1, ' '));
    const std::string noG2 = File("no-g2.txt", "[G1]\r\n00,01,00,\r\n[G3]\r\n*,\r\n[G4]\r\n00,00,00,00,00,05,\r\n");
    const std::string good = File("good.txt", WPA_CONFIG);
    const std::string missing = dir_.File("missing/cfg.txt"), fifo = dir_.File("fifo"), folder = dir_.File("folder");
    const std::string open = ": Open database file failure (", save = ": Save database file failure (";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } rows[] = {
        {{"write", missing}, 3, missing + open + "No such file or directory)"},
        {{"write", folder}, 3, folder + open + "Is a directory)"},
        {{"write", fifo}, 3, fifo + open + "Not a regular file)"},
        {{"write", big}, 3, big + open + "File too large)"},
        {{"write", noG2}, 3, noG2 + ": [G2] format error"},
        {{"read", "--save", missing}, 1, missing + save + "No such file or directory)"},
        {{"read", "--save", fifo}, 1, fifo + save + "No such device or address)"},  // no reader
        {{"read", "--save", folder}, 1, folder + save + "Is a directory)"},
        {{"--simulate=" + folder, "read"}, 3, folder + open + "Is a directory)"},
        {{"--simulate=" + noG2, "read"}, 3, noG2 + ": [G2] format error"},
        {{"--simulate", "--state", big, "info"}, 3, big + open + "File too large)"},
        {{"--simulate=" + missing, "write", good}, 1, missing + save + "No such file or directory)"},
    };
    platform_.AddModule();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        const bool own = row.arguments.front().rfind("--simulate", 0) == 0;
        EXPECT_EQ(Run(row.arguments, own), (ToolRun{row.status, "", Said(row.message)}));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// A module may send any byte. An SSID or key with CR or LF is refused by
// every path that would write a configuration file (the message names the
// field, exit 3), and the old file stays; JSON carries such a text.
TEST_F(ToolFiles, LineBreaksAreRefusedAndTheOldFileStays) {
    ModuleHolding("a\r\n[G3]\r\nX", "realpassphrase");
    ModuleHolding("net", "pass\nphrase");
    const std::string saved = File("saved.txt", "old file\r\n");
    const std::string ssidRefused = SSID_LINE_BREAK_MESSAGE, keyRefused = KEY_LINE_BREAK_MESSAGE;
    const struct {
        std::vector<std::string> arguments;
        ToolRun expected;
    } rows[] = {
        {{"read", "--save", saved}, {3, "", Said(saved + ": " + ssidRefused)}},
        {{"--json", "read", "--save", saved}, {3, "", Said(saved + ": " + ssidRefused)}},
        {{"read"}, {3, "", Said(ssidRefused)}},
        {{"--device", "1", "read", "--save", saved}, {3, "", Said(saved + ": " + keyRefused)}},
        {{"--device", "1", "read"}, {3, "", Said(keyRefused)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        EXPECT_EQ(Run(row.arguments), row.expected);
        EXPECT_EQ(ReadWholeFile(saved), "old file\r\n");
    }
    const ToolRun json = Run({"--json", "read"});
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(DecodeJson(json.out).value_or("").find(R"("ssid":"a\r\n[G3]\r\nX")"), std::string::npos) << json.out;
}

// The simulated module keeps what it accepted, but its state file cannot
// hold a key with a CR: the upload reaches the module, the state file stays
// as it was, and the run fails naming the file and the field.
TEST_F(ToolFiles, StateFileRefusesWhatItCannotHold) {
    const std::string state = File("module.txt", ConfigText("00,01,01,", "Kept", "0123456789"));
    const std::string input = File("cr-key.txt", ConfigText("00,04,03,", "Net", "pass\rphrase"));
    EXPECT_EQ(Run({"--simulate=" + state, "write", input}, true),
              (ToolRun{1, "", Said(state + ": " + KEY_LINE_BREAK_MESSAGE)}));
    EXPECT_EQ(ReadWholeFile(state), ConfigText("00,01,01,", "Kept", "0123456789"));
}

// An SSID over 20 characters goes out as its first 20: the module stores
// exactly those (nothing after them in its text area) and write --json
// reports them.
TEST_F(ToolFiles, WriteSendsAndReportsTheSsidCutTo20Characters) {
    SimulatedInterface& module = platform_.AddModule();
    const std::string ssid = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
    const ToolRun run = Run({"--json", "write", File("long.txt", ConfigText("00,03,00,", ssid, "*"))});
    EXPECT_EQ(std::tuple(run.status, run.err), std::tuple(0, Said(SSID_TOO_LONG_MESSAGE)));
    EXPECT_NE(DecodeJson(run.out).value_or("").find("\"ssid\":\"ABCDEFGHIJKLMNOPQRST\"}"), std::string::npos)
        << run.out;
    const ModuleParamSet& stored = module.module->Behaviour().Params();
    EXPECT_EQ(std::string(stored.ssid, PARAM_TEXT_AREA), ssid.substr(0, 20) + std::string(PARAM_TEXT_AREA - 20, '\0'));
}

// A FIFO with a reader gets the nine lines and stays a FIFO.
TEST_F(ToolFiles, SaveIntoAFifoWithAReader) {
    const std::string fifo = dir_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(Run({"--simulate", "read", "--save", fifo}, true), (ToolRun{0, "", ""}));
    char buffer[256];
    const ssize_t got = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0u), FRESH_MODULE);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// --save /dev/stdout writes into the tool's standard output (a pipe here),
// as a shell redirect would.
TEST(ToolFilesProcess, SaveToStandardOutput) {
    const ToolRun run = RunLq3860ctl({"--simulate", "read", "--save", "/dev/stdout"});
    EXPECT_EQ(std::tuple(run.status, run.err), std::tuple(0, ""));
    EXPECT_EQ(run.out, FRESH_MODULE);
}

}  // namespace lq3860
