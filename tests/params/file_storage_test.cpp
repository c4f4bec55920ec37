// SPDX-License-Identifier: MIT
// Configuration files on disk and the file storage beneath them: what a save
// reports, what stands at the path afterwards, whose file took the bytes and
// whether it is still the same file; streams; metadata; loading. Cases of an
// unprivileged user run in a forked child as nobody (the tests run as root,
// who may write any file and folder, so those cases would prove nothing).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "param_set_helpers.h"
#include "params/config_file.h"
#include "params/file_storage.h"
#include "tool_process.h"

namespace lq3860 {

namespace {

namespace fs = std::filesystem;
using Type = fs::file_type;

constexpr uid_t NOBODY = 65534;
const std::string OLD = "old bytes that were there first\r\n";
const std::string NEW = "[G1]\r\n00,06,04,\r\n[END]\r\n";

// The extended attributes with their values (the ACL among them).
std::vector<std::string> Attributes(const std::string& path) {
    char names[1024], value[256];
    std::vector<std::string> all;
    const ssize_t size = ::listxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        const ssize_t length = ::getxattr(path.c_str(), names + at, value, sizeof value);
        all.push_back(names + at + ("=" + std::string(value, length > 0 ? static_cast<std::size_t>(length) : 0)));
    }
    return all;
}

// An access ACL in the kernel's form: the owner, nobody, the group, the mask, others.
std::string Acl(std::uint32_t mask) {
    const std::uint32_t entries[] = {2,   1 | 6u << 16,      ~0u, 2 | 6u << 16,    NOBODY, 4 | 4u << 16,
                                     ~0u, 0x10 | mask << 16, ~0u, 0x20 | 4u << 16, ~0u};
    return {reinterpret_cast<const char*>(entries), sizeof entries};
}

// The file that takes the bytes afterwards.
enum class Identity { New, Replaced, SameFile, Untouched };

struct TargetCase {
    std::string setup;          // shell commands run in the test folder; "old NAME" makes a file holding OLD
    std::string path;           // saved to, in the folder
    std::string reason;         // empty: the save succeeds
    Type typeAfter;             // what stands at the path afterwards
    std::string receiver = {};  // the file that takes the bytes, "" when there is none to look at
    Identity identity = Identity::Untouched;
    bool unprivileged = false;  // saved by nobody
};

class OnDisk : public ::testing::Test {
protected:
    // The unprivileged saver works in the folder too; a new file's 0600 comes
    // from the save, not the umask.
    OnDisk() { fs::permissions(dir_, fs::perms::all); }
    ~OnDisk() override {
        Clear();
        ::umask(oldMask_);
    }
    void Clear() { ASSERT_EQ(Shell("chmod -R u+rwx . && rm -rf -- * .[!.]*"), 0); }
    int Shell(const std::string& commands) const {
        const std::string old = "old() { printf 'old bytes that were there first\\r\\n' > \"$1\"; }; ";
        return std::system((old + "cd " + dir_ + " && " + commands).c_str());
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    long Entries() const { return std::distance(fs::recursive_directory_iterator(dir_), {}); }

    // Saves as this user, or with nobody's rights (the effective ids; the
    // test runs single-threaded, and root's only group is root's own).
    static FileStatus Save(const std::string& path, bool unprivileged) {
        if (unprivileged && (::setegid(NOBODY) != 0 || ::seteuid(NOBODY) != 0)) return {false, "still root"};
        const FileStatus status = SaveWholeFile(path, NEW);
        if (unprivileged && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::abort();
        return status;
    }

    void Check(const TargetCase& row) {
        SCOPED_TRACE(row.setup + " / " + row.path);
        Clear();
        ASSERT_EQ(Shell(row.setup.empty() ? "true" : row.setup), 0);
        const std::string path = Path(row.path), receiver = Path(row.receiver);
        struct stat before = {}, after = {};
        ::lstat(receiver.c_str(), &before);
        const std::string oldBytes = row.receiver.empty() ? "" : ReadWholeFile(receiver);
        const long entries = Entries();
        const FileStatus status = Save(path, row.unprivileged);
        using enum Identity;
        EXPECT_EQ(status.ok, row.reason.empty());
        EXPECT_EQ(status.reason, row.reason);
        EXPECT_EQ(fs::symlink_status(path).type(), row.typeAfter);
        EXPECT_EQ(Entries(), entries + (row.identity == New));
        if (row.receiver.empty()) return;
        ::lstat(receiver.c_str(), &after);
        const auto owner = [](const struct stat& i) { return std::vector<unsigned>{i.st_uid, i.st_gid, i.st_mode}; };
        const unsigned saver = row.unprivileged ? NOBODY : 0;
        EXPECT_EQ(ReadWholeFile(receiver), row.identity == Untouched ? oldBytes : NEW);
        EXPECT_EQ(after.st_ino != before.st_ino, row.identity == Replaced || row.identity == New) << "a new inode";
        EXPECT_EQ(owner(after), (row.identity == New ? std::vector<unsigned>{saver, saver, 0100600} : owner(before)));
    }

    const TempDir temp_;
    const std::string dir_ = temp_.path;
    const mode_t oldMask_ = ::umask(0);
};

}  // namespace

// Every kind of target. A regular file is replaced by a new file that takes
// its owner, group and mode; links are saved through and stay; a second hard
// link, or a folder the saver may not write, means writing in place; in a
// sticky shared folder another user's link, file or FIFO is refused (the
// folder owner's link is followed); what cannot take the bytes fails with the
// system's reason and stays as it was.
TEST_F(OnDisk, EveryKindOfTarget) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: files of other users and device nodes";
    using enum Identity;
    const std::string denied = "Permission denied", t = "target";
    const std::string planted = "old v && chown 65534:65534 v && mkdir -m 1777 s && ln -s ../v s/l && chown -h ";
    const TargetCase rows[] = {
        {"", t, "", Type::regular, t, New},
        {"old target && chmod 640 target", t, "", Type::regular, t, Replaced},
        {"mkdir sub && old f && ln -s ../f sub/hop && ln -s sub/hop target", t, "", Type::symlink, "f", Replaced},
        {"mkdir sub && ln -s sub/new.txt target", t, "", Type::symlink, "sub/new.txt", New},
        {"ln -s target target", t, "Too many levels of symbolic links", Type::symlink},
        {"old f && ln f target", t, "", Type::regular, "f", SameFile},
        {"mkfifo target", t, "No such device or address", Type::fifo},
        {"mkdir target", t, "Is a directory", Type::directory},
        {"", "nowhere/target", "No such file or directory", Type::not_found},
        {"mknod target c 1 7", t, "No space left on device", Type::character},  // as /dev/full
        {"old target && chown nobody target", t, "", Type::regular, t, Replaced},
        {"old target && chmod 444 target && chown nobody target", t, denied, Type::regular, t, Untouched, true},
        {"mkdir d && old d/t && chown -R nobody d && chmod 555 d", "d/t", "", Type::regular, "d/t", SameFile, true},
        {"mkdir -m 555 d", "d/t", denied, Type::not_found, "", Untouched, true},
        {planted + "daemon s/l", "s/l", denied, Type::symlink, "v", Untouched, true},
        {planted + "root s/l", "s/l", "", Type::symlink, "v", Replaced, true},
        {"mkdir -m 1777 s && old s/f && chmod 666 s/f && chown daemon s/f", "s/f", denied, Type::regular, "s/f",
         Untouched, true},
        {"mkdir -m 1777 s && mkfifo -m 666 s/f && chown daemon s/f", "s/f", denied, Type::fifo, "", Untouched, true},
    };
    for (const TargetCase& row : rows) Check(row);
}

// A stream gets the bytes where its own next write would put them: a
// descriptor of this process behind /proc/self/fd (as /dev/stdout) keeps its
// position and O_APPEND, one it cannot write through is appended to; a pipe,
// and a FIFO with a reader get them; none is rewound or cut.
TEST_F(OnDisk, StreamsAreWrittenAtTheirOwnPosition) {
    const auto fdPath = [](int fd) { return "/proc/self/fd/" + std::to_string(fd); };
    const std::pair<int, std::string> files[] = {{O_WRONLY, "header\n" + NEW + OLD.substr(7 + NEW.size())},
                                                 {O_WRONLY | O_APPEND, OLD + "header\n" + NEW},
                                                 {O_RDONLY, OLD + NEW}};
    for (const auto& [flags, expected] : files) {
        WriteWholeFile(Path("log.txt"), OLD);
        const int fd = ::open(Path("log.txt").c_str(), flags);
        EXPECT_EQ(::write(fd, "header\n", 7), flags == O_RDONLY ? -1 : 7);
        EXPECT_TRUE(SaveWholeFile(fdPath(fd), NEW).ok);
        EXPECT_EQ(ReadWholeFile(Path("log.txt")), expected);
        ::close(fd);
    }
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(Shell("mkfifo fifo"), 0);
    const int fifo = ::open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    const std::pair<std::string, int> streams[] = {{fdPath(ends[1]), ends[0]}, {Path("fifo"), fifo}};
    for (const auto& [path, reader] : streams) {
        EXPECT_TRUE(SaveWholeFile(path, NEW).ok) << path;
        char buffer[512];
        const ssize_t got = ::read(reader, buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), NEW) << path;
    }
    EXPECT_EQ(fs::symlink_status(Path("fifo")).type(), Type::fifo);
    for (int fd : {ends[0], ends[1], fifo}) ::close(fd);
}

// A replaced file keeps its ACL and extended attributes, and with them its
// mode (the group bits are the ACL's mask); an ACL the folder would give a
// new file does not widen it.
TEST_F(OnDisk, ReplacedFilesKeepAclAndAttributes) {
    ASSERT_EQ(Shell("old shared.txt && old plain.txt && chmod 640 plain.txt"), 0);
    ASSERT_EQ(::setxattr(Path("shared.txt").c_str(), "system.posix_acl_access", Acl(6).data(), Acl(6).size(), 0), 0);
    ASSERT_EQ(::setxattr(Path("shared.txt").c_str(), "user.tag", "kept", 4, 0), 0);
    ASSERT_EQ(::setxattr(dir_.c_str(), "system.posix_acl_default", Acl(7).data(), Acl(7).size(), 0), 0);
    for (const std::string name : {"shared.txt", "plain.txt"}) {
        const std::vector<std::string> attributes = Attributes(Path(name));
        struct stat before = {}, after = {};
        ::stat(Path(name).c_str(), &before);
        EXPECT_TRUE(SaveWholeFile(Path(name), NEW).ok);
        ::stat(Path(name).c_str(), &after);
        EXPECT_NE(after.st_ino, before.st_ino) << name;
        EXPECT_EQ(after.st_mode, before.st_mode) << name;
        EXPECT_EQ(Attributes(Path(name)), attributes) << name;
    }
}

// A save in place takes the file's lock for its write and cut, so saves at
// once take turns: while another holds the lock the file stays as it was.
TEST_F(OnDisk, SavesInPlaceTakeTheFileLock) {
    ASSERT_EQ(Shell("old target && ln target other"), 0);
    const int fd = ::open(Path("other").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const pid_t saver = ::fork();
    if (saver == 0) {
        ::close(fd);  // the lock belongs to the parent's open file, which the child shares
        ::_exit(SaveWholeFile(Path("target"), NEW).ok ? 0 : 1);
    }
    ::usleep(200000);
    EXPECT_EQ(ReadWholeFile(Path("other")), OLD);
    ::close(fd);
    int status = -1;
    EXPECT_EQ(::waitpid(saver, &status, 0), saver);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadWholeFile(Path("other")), NEW);
}

// A write error (a file size limit fails it as a full disk would, even for
// root) fails the save: a replaced file stays as it was and no temporary is
// left; a file written in place reports the failure.
TEST_F(OnDisk, WriteErrorsFailTheSave) {
    ASSERT_EQ(Shell("old set.txt && ln -s set.txt link.txt && old shared && ln shared second"), 0);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{16, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileStatus replaced = SaveWholeFile(Path("link.txt"), std::string(200, 'z'));
    const FileStatus inPlace = SaveWholeFile(Path("second"), std::string(200, 'z'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(replaced.reason, "File too large");
    EXPECT_EQ(inPlace.reason, "File too large");
    EXPECT_EQ(ReadWholeFile(Path("set.txt")), OLD);
    EXPECT_EQ(Entries(), 4);
}

// A signal in the middle of saves waits for the save in progress: the file
// holds one whole text and nothing else is left beside it. The saves run in
// a child process that the signal ends.
TEST_F(OnDisk, SignalsWaitForTheSaveInProgress) {
    ASSERT_EQ(Shell("old set.txt"), 0);
    const std::string longer(5000, 'x');
    for (const useconds_t delayUs : {0u, 100u, 400u, 1500u, 5000u}) {
        EXPECT_EXIT(
            {
                std::thread signal([delayUs] { ::usleep(delayUs), ::kill(::getpid(), SIGTERM); });
                for (int i = 0;; ++i) SaveWholeFile(Path("set.txt"), i % 2 ? NEW : longer);
            },
            testing::KilledBySignal(SIGTERM), "");
        const std::string text = ReadWholeFile(Path("set.txt"));
        EXPECT_TRUE(text == OLD || text == NEW || text == longer) << text.size();
        EXPECT_EQ(Entries(), 1);
    }
}

// A 10000-byte file loads, and so does standard input ("-" and /dev/stdin);
// one byte more, a missing file, a folder, a FIFO and a device (neither of
// them opened) are refused with the system's reason and change nothing.
TEST_F(OnDisk, ConfigurationFilesLoadOrAreRefused) {
    const ModuleParamSet saved = MakeParams(0, 9, 3, "office,1", "pass,word!", {0x00, 0x1C, 0x42, 0xAB, 0xCD, 0xEF});
    const std::string text = FormatConfiguration(saved), padding(CONFIG_FILE_MAX - text.size(), ' ');
    WriteWholeFile(Path("limit.txt"), text + padding);
    WriteWholeFile(Path("over.txt"), text + padding + " ");
    ASSERT_EQ(Shell("mkdir sub && mkfifo fifo && mknod zero c 1 5"), 0);
    const int watch = ::inotify_init1(IN_NONBLOCK);
    for (const char* name : {"fifo", "zero"}) ::inotify_add_watch(watch, Path(name).c_str(), IN_OPEN);
    const int standardInput = ::dup(STDIN_FILENO);
    const std::string none = "No such file or directory", notRegular = "Not a regular file";
    const std::pair<std::string, std::string> rows[] = {
        {Path("limit.txt"), ""},     {"-", ""},
        {"/dev/stdin", ""},          {Path("over.txt"), "File too large"},
        {Path("missing.txt"), none}, {Path("sub"), "Is a directory"},
        {Path("fifo"), notRegular},  {Path("zero"), notRegular},
    };
    for (const auto& [path, reason] : rows) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        EXPECT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        ASSERT_EQ(::close(ends[1]), 0);
        ASSERT_EQ(::dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
        ASSERT_EQ(::close(ends[0]), 0);
        ModuleParamSet params = Sentinel();
        const ConfigLoadResult result =
            path == "-" ? LoadConfigurationInput(params) : LoadConfigurationFile(path, params);
        ::dup2(standardInput, STDIN_FILENO);
        EXPECT_STREQ(result.message, reason.empty() ? nullptr : OPEN_FAILURE_MESSAGE) << path;
        EXPECT_EQ(std::pair(result.reason, Dump(params)), std::pair(reason, Dump(reason.empty() ? saved : Sentinel())))
            << path;
    }
    inotify_event event{};
    EXPECT_EQ(::read(watch, &event, sizeof event), -1);  // neither the FIFO nor the device was opened
    ::close(watch);
    ::close(standardInput);
}

}  // namespace lq3860
