// Saving and loading files: atomic replacement, permissions, refusals.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "params/config_file.h"
#include "param_set_helpers.h"

namespace {

class ConfigStorage : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lq3860-config-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        for (const std::string& name : Entries()) ::unlink((dir_ + "/" + name).c_str());
        ::rmdir((dir_ + "/sub").c_str());
        ::rmdir(dir_.c_str());
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(dir_.c_str())) {
            while (dirent* e = ::readdir(d)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(d);
        }
        return names;
    }

    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static mode_t ModeOf(const std::string& path) {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0);
        return info.st_mode & 07777;
    }

    std::string dir_;
};

ModuleParamSet Sentinel() { return MakeParams(4, 4, 4, "before", "before-key", {9, 9, 9, 9, 9, 9}); }

void ExpectOpenFailure(const ConfigLoadResult& result) {
    EXPECT_FALSE(result.ok);
    ASSERT_NE(result.message, nullptr);
    EXPECT_STREQ(result.message, "Open database file failure");
}

}  // namespace

TEST_F(ConfigStorage, SaveWritesExactBytesAndLoadsBack) {
    const ModuleParamSet saved = MakeParams(0, 9, 3, "office,1", "pass,word!", {0x00, 0x1C, 0x42, 0xAB, 0xCD, 0xEF});
    const std::string path = Path("set.txt");
    ASSERT_TRUE(WriteFileAtomically(path, FormatConfiguration(saved)));
    EXPECT_EQ(ReadBytes(path), FormatConfiguration(saved));

    ModuleParamSet loaded = Sentinel();
    const ConfigLoadResult result = LoadConfigurationFile(path, loaded);
    EXPECT_TRUE(result.ok);
    ExpectSameParams(saved, loaded);
    EXPECT_EQ(Entries(), std::vector<std::string>{"set.txt"}) << "no temporary file may remain";
}

TEST_F(ConfigStorage, SaveReplacesAnExistingFileWhole) {
    const std::string path = Path("set.txt");
    WriteBytes(path, std::string(500, 'x'));
    const std::string text = FormatConfiguration(StartStateParams());
    ASSERT_TRUE(WriteFileAtomically(path, text));
    EXPECT_EQ(ReadBytes(path), text);
}

TEST_F(ConfigStorage, NewFileGetsUmaskModeExistingKeepsItsMode) {
    const mode_t old = ::umask(022);
    ASSERT_TRUE(WriteFileAtomically(Path("new.txt"), "a"));
    ::umask(077);
    ASSERT_TRUE(WriteFileAtomically(Path("private.txt"), "b"));
    ::umask(old);
    EXPECT_EQ(ModeOf(Path("new.txt")), 0644u);
    EXPECT_EQ(ModeOf(Path("private.txt")), 0600u);

    ASSERT_EQ(::chmod(Path("new.txt").c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(Path("new.txt"), "c"));
    EXPECT_EQ(ModeOf(Path("new.txt")), 0640u);
}

TEST_F(ConfigStorage, SavingThroughASymbolicLinkKeepsTheLink) {
    WriteBytes(Path("real.txt"), "old");
    ASSERT_EQ(::symlink("real.txt", Path("link.txt").c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(Path("link.txt"), "new"));
    struct stat info {};
    ASSERT_EQ(::lstat(Path("link.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadBytes(Path("real.txt")), "new");
}

TEST_F(ConfigStorage, TargetThatIsADirectoryFailsAndLeavesNoTemporary) {
    ASSERT_EQ(::mkdir(Path("sub").c_str(), 0755), 0);
    EXPECT_FALSE(WriteFileAtomically(Path("sub"), "text"));
    struct stat info {};
    ASSERT_EQ(::stat(Path("sub").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(Entries(), std::vector<std::string>{"sub"});
}

TEST_F(ConfigStorage, MissingDirectoryOrEmptyPathFails) {
    EXPECT_FALSE(WriteFileAtomically(Path("no-such-dir/set.txt"), "text"));
    EXPECT_FALSE(WriteFileAtomically("", "text"));
}

TEST_F(ConfigStorage, WriteErrorLeavesTheOldFileIntact) {
    // A file size limit makes the write itself fail (as a full disk would),
    // even for a privileged user.
    const std::string path = Path("set.txt");
    const std::string original = FormatConfiguration(StartStateParams());
    WriteBytes(path, original);

    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileAtomically(path, std::string(200, 'z'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(Entries(), std::vector<std::string>{"set.txt"});
}

TEST_F(ConfigStorage, FileOfExactlyTheLimitLoads) {
    std::string text = FormatConfiguration(StartStateParams());
    text += std::string(CONFIG_FILE_MAX - text.size(), ' ');
    ASSERT_EQ(text.size(), 10000u);
    WriteBytes(Path("big.txt"), text);
    ModuleParamSet params = Sentinel();
    EXPECT_TRUE(LoadConfigurationFile(Path("big.txt"), params).ok);
    EXPECT_EQ(params.mode, 1);
}

TEST_F(ConfigStorage, OverLongFileIsRefusedAndChangesNothing) {
    std::string text = FormatConfiguration(StartStateParams());
    text += std::string(CONFIG_FILE_MAX + 1 - text.size(), ' ');
    WriteBytes(Path("big.txt"), text);
    ModuleParamSet params = Sentinel();
    ExpectOpenFailure(LoadConfigurationFile(Path("big.txt"), params));
    ExpectSameParams(Sentinel(), params);
}

TEST_F(ConfigStorage, UnreadablePathsAreOpenFailures) {
    ASSERT_EQ(::mkdir(Path("sub").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);  // must not wait for a writer
    for (const std::string& path : {Path("missing.txt"), Path("sub"), Path("fifo"), std::string()}) {
        ModuleParamSet params = Sentinel();
        ExpectOpenFailure(LoadConfigurationFile(path, params));
        ExpectSameParams(Sentinel(), params);
    }
}

TEST_F(ConfigStorage, EmptyFileIsAFormatError) {
    WriteBytes(Path("empty.txt"), "");
    ModuleParamSet params = Sentinel();
    const ConfigLoadResult result = LoadConfigurationFile(Path("empty.txt"), params);
    EXPECT_FALSE(result.ok);
    EXPECT_STREQ(result.message, "[G1] format error");
    ExpectSameParams(Sentinel(), params);
}
