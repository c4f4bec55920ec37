// Configuration files on disk: what loads back, what is refused, and the
// reasons of failures. (The text itself: config_text_test.cpp.)
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "param_set_helpers.h"
#include "params/config_file.h"

namespace lq3860 {

namespace fs = std::filesystem;

const ModuleParamSet SAVED = MakeParams(0, 9, 3, "office,1", "pass,word!", {0x00, 0x1C, 0x42, 0xAB, 0xCD, 0xEF});

class ConfigStorage : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lq3860-config-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // More entries than the files a test made means a temporary was left.
    long EntryCount() const { return std::distance(fs::directory_iterator(dir_), fs::directory_iterator()); }
    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string dir_;
};

// A 10000-byte file loads; one byte more, a missing file, a directory, a
// FIFO (which must not wait for a writer), an empty path and an empty file
// are refused and change nothing.
TEST_F(ConfigStorage, LoadLimitsAndRefusals) {
    std::string text = FormatConfiguration(SAVED);
    text.resize(CONFIG_FILE_MAX, ' ');
    WriteBytes(Path("limit.txt"), text);
    WriteBytes(Path("over.txt"), text + " ");
    WriteBytes(Path("empty.txt"), "");
    fs::create_directory(Path("sub"));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    ModuleParamSet params = Sentinel();
    EXPECT_TRUE(LoadConfigurationFile(Path("limit.txt"), params).ok);
    EXPECT_EQ(Dump(params), Dump(SAVED));

    const char* const openFailure = "Open database file failure";
    const struct {
        std::string path;
        const char* message;
        std::string reason;  // the system's words; none for a format error
    } rows[] = {
        {Path("over.txt"), openFailure, "File too large"},
        {Path("missing.txt"), openFailure, "No such file or directory"},
        {Path("sub"), openFailure, "Is a directory"},
        {Path("fifo"), openFailure, "Not a regular file"},
        {std::string(), openFailure, "No such file or directory"},
        {Path("empty.txt"), "[G1] format error", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        params = Sentinel();
        const ConfigLoadResult result = LoadConfigurationFile(row.path, params);
        EXPECT_FALSE(result.ok);
        EXPECT_STREQ(result.message, row.message);
        EXPECT_EQ(result.reason, row.reason);
        EXPECT_EQ(Dump(params), Dump(Sentinel()));
    }
}

// A text with CR or LF in what the file would hold is refused, naming its
// field, and the old file stays; every other text, however odd, is saved and
// loads back as it was (an empty one as "*", an SSID as its first 20
// characters). A failed save names the system's reason.
TEST_F(ConfigStorage, SavesWhatLoadsBackAndRefusesLineBreaks) {
    const std::string latin1 = "Caf\xE9 \xA0\xFF";
    const struct {
        std::string ssid, key;
        const char* refusal;  // null: saved
    } rows[] = {
        {"a\r\n[G3]\r\nX", "realpassphrase", SSID_LINE_BREAK_MESSAGE},
        {"net", "line\nbreak", KEY_LINE_BREAK_MESSAGE},
        {"cr\r", "k", SSID_LINE_BREAK_MESSAGE},
        {"n", "\rkey", KEY_LINE_BREAK_MESSAGE},
        {"\n", "\n", SSID_LINE_BREAK_MESSAGE},
        {"12345678901234567890\r\n", "after the cut", nullptr},  // the SSID is saved as its first 20
        {"[G3]", "[G1]", nullptr},
        {"  [G2]  ", ",", nullptr},
        {" lead, and trail ", "\t\v\f\x1A\x7F", nullptr},
        {"*", "**", nullptr},
        {"", "", nullptr},
        {latin1, latin1 + ",,[END]", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.ssid) + " " + ::testing::PrintToString(row.key));
        const ModuleParamSet saved = MakeParams(1, 2, 3, row.ssid, row.key, {1, 2, 3, 4, 5, 6});
        WriteBytes(Path("set.txt"), "old");
        const ConfigSaveResult result = SaveConfigurationFile(Path("set.txt"), saved);
        EXPECT_EQ(result.outcome, row.refusal ? SaveOutcome::Refused : SaveOutcome::Saved);
        EXPECT_STREQ(result.message, row.refusal);
        if (row.refusal) {
            EXPECT_EQ(ReadBytes(Path("set.txt")), "old");
            continue;
        }
        const std::string ssid = row.ssid.substr(0, 20);
        ModuleParamSet loaded = Sentinel();
        EXPECT_TRUE(LoadConfigurationFile(Path("set.txt"), loaded).ok);
        EXPECT_EQ(Dump(loaded), Dump(MakeParams(1, 2, 3, ssid.empty() ? "*" : ssid, row.key.empty() ? "*" : row.key,
                                                {1, 2, 3, 4, 5, 6})));
    }
    const ConfigSaveResult failed = SaveConfigurationFile(Path("no/set.txt"), SAVED);
    EXPECT_EQ(std::tuple(failed.outcome, std::string(failed.message), failed.reason),
              std::tuple(SaveOutcome::Failed, std::string(SAVE_FAILURE_MESSAGE), "No such file or directory"));
    EXPECT_EQ(FileMessage("no/set.txt", failed.message, failed.reason),
              "no/set.txt: Save database file failure (No such file or directory)");
    EXPECT_EQ(FileMessage("in.txt", "[G2] format error"), "in.txt: [G2] format error");
    EXPECT_EQ(EntryCount(), 1);
}

}  // namespace lq3860
