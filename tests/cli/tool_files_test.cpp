// The tool's files: failures name the path and the system's reason; a text a
// configuration file cannot carry is refused and the old file stays; FIFOs
// and /dev/stdout take the saved lines.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "params/config_file.h"
#include "params/field_rules.h"
#include "tool_fixture.h"

namespace lq3860 {

namespace {

using ToolFiles = ToolTest;

// Every failure of a file names the file and the system's reason; the FIFO
// and the folder stay as they are.
TEST_F(ToolFiles, FileFailuresNameThePathAndTheReason) {
    ASSERT_EQ(::mkfifo(dir_.File("fifo").c_str(), 0644), 0);
    std::filesystem::create_directory(dir_.File("folder"));
    const std::string big = File("big.txt", std::string(CONFIG_FILE_MAX + 1, ' '));
    const std::string good = File("good.txt", FRESH_MODULE);
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
        {{"read", "--save", missing}, 1, missing + save + "No such file or directory)"},
        {{"read", "--save", fifo}, 1, fifo + save + "No such device or address)"},  // no reader
        {{"read", "--save", folder}, 1, folder + save + "Is a directory)"},
        {{"--simulate=" + folder, "read"}, 3, folder + open + "Is a directory)"},
        {{"--simulate", "--state", big, "info"}, 3, big + open + "File too large)"},
        {{"--simulate=" + missing, "write", good}, 1, missing + save + "No such file or directory)"},
    };
    platform_.AddModule();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        EXPECT_EQ(Run(row.arguments), (ToolRun{row.status, "", Said(row.message)}));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// A module may send any byte. An SSID or key with CR or LF is refused by
// every path that would write a configuration file (the message names the
// field, exit 3), and the old file stays; JSON carries such a text.
TEST_F(ToolFiles, LineBreaksAreRefusedAndTheOldFileStays) {
    for (const auto& [ssid, key] : {std::pair("a\r\n[G3]\r\nX", "realpassphrase"), std::pair("net", "pass\nphrase")}) {
        ModuleParamSet params{.mode = 0, .channel = 6, .encryption = 4};
        StoreParamText(params.ssid, ssid);
        StoreParamText(params.key, key);
        platform_.AddModule().module->Behaviour().SetParams(params);
    }
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
    EXPECT_NE(json.out.find(R"("ssid":"a\r\n[G3]\r\nX",)"), std::string::npos) << json.out;
}

// The simulated module keeps what it accepted, but its state file cannot
// hold a key with a CR: the upload reaches the module, the state file stays
// as it was, and the run fails naming the file and the field.
TEST_F(ToolFiles, StateFileRefusesWhatItCannotHold) {
    const std::string state = File("module.txt", ConfigText("00,01,01,", "Kept", "0123456789"));
    const std::string input = File("cr-key.txt", ConfigText("00,04,03,", "Net", "pass\rphrase"));
    EXPECT_EQ(Run({"--simulate=" + state, "write", input}),
              (ToolRun{1, "", Said(state + ": " + KEY_LINE_BREAK_MESSAGE)}));
    EXPECT_EQ(ReadWholeFile(state), ConfigText("00,01,01,", "Kept", "0123456789"));
}

// A FIFO with a reader gets the nine lines and stays a FIFO.
TEST_F(ToolFiles, SaveIntoAFifoWithAReader) {
    const std::string fifo = dir_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(Run({"--simulate", "read", "--save", fifo}), (ToolRun{0, "", ""}));
    char buffer[256];
    const ssize_t got = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0u), FRESH_MODULE);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// --save /dev/stdout writes into the tool's standard output (a pipe here),
// as a shell redirect would.
TEST(ToolFilesProcess, SaveToStandardOutput) {
    EXPECT_EQ(RunLq3860ctl({"--simulate", "read", "--save", "/dev/stdout"}), (ToolRun{0, FRESH_MODULE, ""}));
}

}  // namespace

}  // namespace lq3860
