// The configuration text: the writer's layout, the reader's tags, fields and
// numbers, and the all-or-nothing store; saving and loading files: atomic
// replacement, permissions, refusals.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "param_set_helpers.h"
#include "params/config_file.h"

namespace lq3860 {

namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string Sections(const std::string& g1, const std::string& g2, const std::string& g3, const std::string& g4) {
    return "[G1]\r\n" + g1 + "\r\n[G2]\r\n" + g2 + "\r\n[G3]\r\n" + g3 + "\r\n[G4]\r\n" + g4 + "\r\n[END]\r\n";
}

// Parses `text` into the sentinel; `message` null means it must be accepted.
void ExpectParse(const std::string& text, const ModuleParamSet& expected, const char* message = nullptr) {
    SCOPED_TRACE(text);
    ModuleParamSet params = Sentinel();
    const ConfigLoadResult result = ParseConfiguration(text, params);
    EXPECT_EQ(result.ok, message == nullptr);
    EXPECT_STREQ(result.message, message);
    EXPECT_EQ(Dump(params), Dump(expected));
}

const std::string MAC_LINE = "01,02,03,04,05,06,";

}  // namespace

// The window's start state: Ad-Hoc, channel 2, NONE, "LQ-3860", no key, FF x6.
TEST(ConfigRoundTrip, StartStateGivesTheExact76ByteFile) {
    const std::string text = FormatConfiguration(MakeParams(1, 2, 0, "LQ-3860", "", {255, 255, 255, 255, 255, 255}));
    EXPECT_EQ(text,
              "[G1]\r\n01,02,00,\r\n[G2]\r\nLQ-3860,\r\n[G3]\r\n*,\r\n"
              "[G4]\r\nFF,FF,FF,FF,FF,FF,\r\n[END]\r\n");
    EXPECT_EQ(text.size(), 76u);
}

// Two-digit decimal and upper-case hex numbers, "*" for empty texts (which
// load back as "*"), texts cut to 20 / 63 characters even when their area is
// not terminated; every set loads back with CR LF and with LF line ends.
TEST(ConfigRoundTrip, SavedLinesLoadBack) {
    ModuleParamSet unterminated;
    std::fill(std::begin(unterminated.ssid), std::end(unterminated.ssid), 'S');
    std::fill(std::begin(unterminated.key), std::end(unterminated.key), 'K');
    const ModuleParamSet numbers = MakeParams(0, 5, 255, "n", "k", {0x00, 0x0A, 0x1B, 0xab, 0x05, 0xF0});
    const ModuleParamSet tags = MakeParams(255, 13, 4, "[G3]", ",[G3] [G4],key,with,", {1, 2, 3, 4, 5, 6});
    const struct {
        ModuleParamSet saved;
        std::string fragment;
        ModuleParamSet loaded;
    } rows[] = {
        {numbers, "[G1]\r\n00,05,255,\r\n[G2]\r\nn,\r\n[G3]\r\nk,\r\n[G4]\r\n00,0A,1B,AB,05,F0,\r\n", numbers},
        {MakeParams(0, 3, 0, "", "", {}), "[G2]\r\n*,\r\n[G3]\r\n*,\r\n", MakeParams(0, 3, 0, "*", "*", {})},
        {unterminated, "[G2]\r\n" + std::string(20, 'S') + ",\r\n[G3]\r\n" + std::string(63, 'K') + ",\r\n",
         MakeParams(0, 0, 0, std::string(20, 'S'), std::string(63, 'K'), {})},
        {tags, "[G1]\r\n255,13,04,\r\n[G2]\r\n[G3],\r\n[G3]\r\n,[G3] [G4],key,with,,\r\n", tags},
    };
    for (const auto& row : rows) {
        const std::string text = FormatConfiguration(row.saved);
        EXPECT_NE(text.find(row.fragment), std::string::npos) << text;
        ExpectParse(text, row.loaded);
        ExpectParse(ReplaceAll(text, "\r\n", "\n"), row.loaded);
    }
}

// Tags count only alone on their line (blanks allowed), in any order, with
// other text between sections; fields split at commas as the reader defines.
// A missing tag names itself and changes nothing.
TEST(ConfigParse, LayoutsFieldFormsAndMissingTags) {
    const ModuleParamSet none = Sentinel();  // a refused text changes nothing
    const std::string full = FormatConfiguration(MakeParams(0, 1, 2, "s", "0123456789", {}));
    std::string zeroBeforeG4 = full;  // the text ends at its first zero byte
    zeroBeforeG4.insert(zeroBeforeG4.find("[G4]"), std::string(1, '\0') + "\r\n");
    const struct {
        std::string text;
        ModuleParamSet expected;
        const char* message;
    } rows[] = {
        {"notes\r\n\r\n[G4]\r\n0A,0B,0C,0D,0E,0F,\r\ntext\r\n[G3]\r\nsecret12,\r\n\r\n[G1]\r\n00,05,03,\r\n"
         "[G2]\r\nhome,\r\n",
         MakeParams(0, 5, 3, "home", "secret12", {0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}), nullptr},
        {" \t[G1]  \r\n01,02,00,\r\n[G2]\t\r\nnet,\r\n  [G3]\nkey,\r\n[G4] \r\n" + MAC_LINE,
         MakeParams(1, 2, 0, "net", "key", {1, 2, 3, 4, 5, 6}), nullptr},
        // The first "[G2]" shares its line with other text: not a tag.
        {"x[G2]\r\nfake,\r\n" + Sections("01,02,00,", "real,", "k,", MAC_LINE),
         MakeParams(1, 2, 0, "real", "k", {1, 2, 3, 4, 5, 6}), nullptr},
        // A text line without a comma is taken whole; over 63 characters are cut.
        {Sections("00,01,00,", " My Net" + std::string(100, 'a'), std::string(80, 'b') + ",", MAC_LINE),
         MakeParams(0, 1, 0, (" My Net" + std::string(100, 'a')).substr(0, 63), std::string(63, 'b'),
                    {1, 2, 3, 4, 5, 6}),
         nullptr},
        // A comma in the very first position belongs to the first field.
        {Sections(",5,6,7,", "s,", "k,", ",1,2,3,4,5,6,"), MakeParams(0, 6, 7, "s", "k", {0, 2, 3, 4, 5, 6}), nullptr},
        // Without a further comma the remaining fields read empty.
        {"[G1]\r\n01,02,03,\r\n[G2]\r\ns,\r\n[G3]\r\nk,\r\n[G4]\r\nA1,B2,C3",
         MakeParams(1, 2, 3, "s", "k", {0xA1, 0xB2, 0, 0, 0, 0}), nullptr},
        // G1 fields run on past their line: the third lies between the SSID's and key's commas.
        {Sections("01,02", "net,", "key,", MAC_LINE), MakeParams(1, 2, 0, "net", "key", {1, 2, 3, 4, 5, 6}), nullptr},
        {"[G1]\r\n01,02,03,\r\n[G2]\r\nn,\r\n[G4]\r\n" + MAC_LINE + "\r\n[G3]",
         MakeParams(1, 2, 3, "n", "", {1, 2, 3, 4, 5, 6}), nullptr},
        {"", none, "[G1] format error"},
        {ReplaceAll(full, "[G", "[g"), none, "[G1] format error"},
        {zeroBeforeG4, none, "[G4] format error"},
    };
    for (const auto& row : rows) ExpectParse(row.text, row.expected, row.message);
    for (const std::string tag : {"[G1]", "[G2]", "[G3]", "[G4]"}) {
        ExpectParse(ReplaceAll(full, tag, "[GX]"), none, (tag + " format error").c_str());
    }
}

// G1 numbers read as decimal, G4 numbers as hex, both kept in 8 bits.
TEST(ConfigParse, NumberForms) {
    const struct {
        std::string field;
        int decimal;
        int hex;
    } rows[] = {
        {"-1", 255, 255},  {"300", 44, 0x00},  {"+7", 7, 7},    {"  \t12", 12, 0x12}, {"0x1f", 0, 0x1F},
        {"0XAb", 0, 0xAB}, {"-0x01", 0, 0xFF}, {"ff", 0, 0xFF}, {"12ab", 12, 0xAB},   {"", 0, 0},
        {"zz", 0, 0},      {"-", 0, 0},        {"0x", 0, 0},    {"256", 0, 0x56},     {"-256", 0, 0xAA},
    };
    for (const auto& row : rows) {
        const std::string& f = row.field;
        const auto d = static_cast<std::uint8_t>(row.decimal);
        const auto h = static_cast<std::uint8_t>(row.hex);
        ExpectParse(Sections(f + "," + f + "," + f + ",", "s,", "k,", f + "," + f + ",00,00,00," + f + ","),
                    MakeParams(d, d, d, "s", "k", {h, h, 0, 0, 0, h}));
    }
}

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
    static unsigned ModeOf(const std::string& path) { return unsigned(fs::status(path).permissions()) & 07777u; }
    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string dir_;
};

TEST_F(ConfigStorage, NewFileGetsUmaskModeExistingKeepsItsMode) {
    const mode_t old = ::umask(022);
    ASSERT_TRUE(WriteFileAtomically(Path("new.txt"), "a"));
    ::umask(077);
    ASSERT_TRUE(WriteFileAtomically(Path("private.txt"), "b"));
    ::umask(old);
    EXPECT_EQ(ModeOf(Path("new.txt")), 0644u);
    EXPECT_EQ(ModeOf(Path("private.txt")), 0600u);

    fs::permissions(Path("new.txt"), fs::perms(0640));
    ASSERT_TRUE(WriteFileAtomically(Path("new.txt"), "c"));
    EXPECT_EQ(ModeOf(Path("new.txt")), 0640u);
}

// Saving through a symbolic link replaces the file it points to and keeps the
// link. A directory as target, a missing directory, an empty path, and a write
// error (a file size limit fails the write as a full disk would, even for a
// privileged user) all fail, leaving the old files and no temporary.
TEST_F(ConfigStorage, SavesReplaceTheWholeFileThroughLinksOrFailLeavingItAlone) {
    WriteBytes(Path("set.txt"), std::string(500, 'x'));
    fs::create_symlink("set.txt", Path("link.txt"));
    ASSERT_TRUE(WriteFileAtomically(Path("link.txt"), FormatConfiguration(SAVED)));
    EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
    EXPECT_EQ(ReadBytes(Path("set.txt")), FormatConfiguration(SAVED));

    fs::create_directory(Path("sub"));
    for (const std::string& path : {Path("sub"), Path("no-such-dir/set.txt"), std::string()}) {
        EXPECT_FALSE(WriteFileAtomically(path, "text")) << '"' << path << '"';
    }
    EXPECT_TRUE(fs::is_directory(Path("sub")));
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{16, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileAtomically(Path("link.txt"), std::string(200, 'z'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(Path("set.txt")), FormatConfiguration(SAVED));
    EXPECT_EQ(EntryCount(), 3);
}

// A file its user may not write is not replaced, although the rename beside
// it would be allowed. Runs as an unprivileged user in a child process, since
// a privileged one may write any file.
TEST_F(ConfigStorage, ReadOnlyFileIsNotReplaced) {
    constexpr uid_t NOBODY = 65534;
    WriteBytes(Path("locked.txt"), "kept");
    fs::permissions(dir_, fs::perms::all);
    fs::permissions(Path("locked.txt"), fs::perms(0444));
    if (::getuid() == 0) {
        ASSERT_EQ(::chown(Path("locked.txt").c_str(), NOBODY, NOBODY), 0);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::getuid() != 0 || (::setgid(NOBODY) == 0 && ::setuid(NOBODY) == 0);
        ::_exit(dropped && !WriteFileAtomically(Path("locked.txt"), "lost") ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(Path("locked.txt")), "kept");
    EXPECT_EQ(EntryCount(), 1);
}

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
    } rows[] = {
        {Path("over.txt"), openFailure}, {Path("missing.txt"), openFailure}, {Path("sub"), openFailure},
        {Path("fifo"), openFailure},     {std::string(), openFailure},       {Path("empty.txt"), "[G1] format error"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        params = Sentinel();
        const ConfigLoadResult result = LoadConfigurationFile(row.path, params);
        EXPECT_FALSE(result.ok);
        EXPECT_STREQ(result.message, row.message);
        EXPECT_EQ(Dump(params), Dump(Sentinel()));
    }
}

}  // namespace lq3860
