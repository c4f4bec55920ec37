// Saving and loading configuration files on Linux: atomic replacement,
// permissions, refusals.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
