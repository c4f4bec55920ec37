// SPDX-License-Identifier: MIT
// Configuration files on disk and the file storage beneath them: what a save
// reports, what stands at the path afterwards, whose file took the bytes and
// whether it is still the same file; streams; metadata; loading. Cases of an
// unprivileged user run in a forked child as nobody when the tests run as
// root (root may write any file and folder, so they would prove nothing).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "param_set_helpers.h"
#include "params/config_file.h"
#include "params/file_storage.h"

namespace lq3860 {

namespace {

namespace fs = std::filesystem;
using Type = fs::file_type;

constexpr uid_t NOBODY = 65534;
const std::string OLD = "old bytes that were there first\r\n";
const std::string NEW = "[G1]\r\n00,06,04,\r\n[END]\r\n";
const ModuleParamSet SAVED = MakeParams(0, 9, 3, "office,1", "pass,word!", {0x00, 0x1C, 0x42, 0xAB, 0xCD, 0xEF});

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadFd(int fd) {
    char buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

// The extended attributes with their values (the ACL among them).
std::vector<std::string> Attributes(const std::string& path) {
    char names[1024], value[256];
    std::vector<std::string> all;
    const ssize_t size = ::listxattr(path.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        const ssize_t length = ::getxattr(path.c_str(), names + at, value, sizeof value);
        all.push_back(names + at + ("=" + std::string(value, static_cast<std::size_t>(std::max<ssize_t>(length, 0)))));
    }
    return all;
}

// An access ACL in the kernel's form: the owner, one user, the mask.
std::string Acl(std::uint16_t mask) {
    const std::uint32_t entries[] = {2,          1 | 6u << 16,    0xFFFFFFFF, 2 | 6u << 16,
                                     NOBODY,     4 | 4u << 16,    0xFFFFFFFF, 0x10 | std::uint32_t{mask} << 16,
                                     0xFFFFFFFF, 0x20 | 4u << 16, 0xFFFFFFFF};
    return {reinterpret_cast<const char*>(entries), sizeof entries};
}

// The file that takes the bytes afterwards.
enum class Identity { New, Replaced, SameFile, Untouched };

struct TargetCase {
    std::string what;
    std::string setup;          // shell commands run in the test folder
    std::string path;           // saved to, in the folder; "" for the empty path
    std::string reason;         // empty: the save succeeds
    Type typeAfter;             // what stands at the path afterwards
    std::string receiver = {};  // the file that takes the bytes, "" when there is none to look at
    Identity identity = Identity::Untouched;
    bool unprivileged = false;
};

class OnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lq3860-storage-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::permissions(dir_, fs::perms::all);  // the unprivileged saver works here too
        oldMask_ = ::umask(0);                  // a new file's 0600 comes from the save, not the umask
    }
    void TearDown() override {
        Clear();
        fs::remove(dir_);
        ::umask(oldMask_);
    }
    void Clear() { ASSERT_EQ(Shell("chmod -R u+rwx . && rm -rf -- * .[!.]*"), 0); }
    int Shell(const std::string& commands) const { return std::system(("cd " + dir_ + " && " + commands).c_str()); }
    static bool Root() { return ::geteuid() == 0; }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    long Entries() const { return std::distance(fs::recursive_directory_iterator(dir_), {}); }

    // Saves as this user, or as nobody in a forked child that hands its outcome back through a pipe.
    FileStatus Save(const std::string& path, bool unprivileged, const std::string& bytes = NEW) {
        if (!unprivileged || !Root()) return SaveWholeFile(path, bytes);
        int channel[2];
        if (::pipe(channel) != 0) return {false, "no pipe"};
        if (::fork() == 0) {
            const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(NOBODY) == 0 && ::setuid(NOBODY) == 0;
            const FileStatus status = dropped ? SaveWholeFile(path, bytes) : FileStatus{false, "still root"};
            const std::string report = (status.ok ? "1" : "0") + status.reason;
            ::_exit(::write(channel[1], report.data(), report.size()) < 0);
        }
        ::close(channel[1]);
        ::wait(nullptr);
        const std::string report = ReadFd(channel[0]);
        ::close(channel[0]);
        return {report.starts_with('1'), report.empty() ? "no report" : report.substr(1)};
    }

    void Check(const TargetCase& row) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(Shell(row.setup.empty() ? "true" : row.setup), 0);
        const std::string path = row.path.empty() ? "" : Path(row.path), receiver = Path(row.receiver);
        struct stat before = {}, after = {};
        const bool existed = ::lstat(receiver.c_str(), &before) == 0;
        const long entries = Entries();
        const FileStatus status = Save(path, row.unprivileged);
        EXPECT_EQ(status.ok, row.reason.empty());
        EXPECT_EQ(status.reason, row.reason);
        std::error_code error;
        EXPECT_EQ(fs::symlink_status(path, error).type(), row.typeAfter);
        EXPECT_EQ(Entries(), entries + (row.identity == Identity::New));
        if (row.receiver.empty()) return;
        const bool exists = ::lstat(receiver.c_str(), &after) == 0;
        EXPECT_EQ(ReadBytes(receiver), row.identity == Identity::Untouched ? (existed ? OLD : "") : NEW);
        if (row.identity == Identity::Untouched) {
            EXPECT_EQ(after.st_ino, before.st_ino);
        } else if (row.identity == Identity::New) {
            EXPECT_EQ(after.st_uid, row.unprivileged && Root() ? NOBODY : ::geteuid());
            EXPECT_EQ(after.st_mode & 07777, 0600u);
        } else {
            ASSERT_TRUE(exists);
            EXPECT_EQ(after.st_ino != before.st_ino, row.identity == Identity::Replaced);
            EXPECT_EQ(after.st_uid, before.st_uid);
            EXPECT_EQ(after.st_gid, before.st_gid);
            EXPECT_EQ(after.st_mode, before.st_mode);
            EXPECT_EQ(after.st_nlink, before.st_nlink);
        }
    }

    std::string dir_;
    mode_t oldMask_ = 0;
};

const std::string OLD_FILE = "printf 'old bytes that were there first\\r\\n' > ";

}  // namespace

// Every kind of target. A regular file is replaced by a new file that takes
// its owner, group and mode; links are saved through and stay; what cannot
// take the bytes fails with the system's reason and stays as it was. As root:
// a user's file stays the user's; in a sticky shared folder a link, file or
// FIFO of another user is refused (the folder owner's link is followed); a
// device node stays one.
TEST_F(OnDisk, EveryKindOfTarget) {
    using enum Identity;
    const std::string noEntry = "No such file or directory", denied = "Permission denied";
    const std::string planted = OLD_FILE +
                                "victim && chown 65534:65534 victim && mkdir -m 1777 shared && "
                                "ln -s ../victim shared/cfg.txt && chown -h ";
    std::vector<TargetCase> rows = {
        {"nothing there yet", "", "target", "", Type::regular, "target", New},
        {"regular file", OLD_FILE + "target && chmod 640 target", "target", "", Type::regular, "target", Replaced},
        {"link to a link in another folder",
         "mkdir sub && " + OLD_FILE +
             "file && ln -s ../file sub/hop && ln -s "
             "sub/hop target",
         "target", "", Type::symlink, "file", Replaced},
        {"dangling link", "mkdir sub && ln -s sub/new.txt target", "target", "", Type::symlink, "sub/new.txt", New},
        {"dangling link into a missing folder", "ln -s nowhere/new target", "target", noEntry, Type::symlink, ""},
        {"links to each other", "ln -s target target", "target", "Too many levels of symbolic links", Type::symlink},
        {"second hard link", OLD_FILE + "file && ln file target", "target", "", Type::regular, "file", SameFile},
        {"FIFO without a reader", "mkfifo target", "target", "No such device or address", Type::fifo},
        {"socket", "python3 -c \"import socket; socket.socket(socket.AF_UNIX).bind('target')\"", "target",
         "No such device or address", Type::socket},
        {"folder", "mkdir target", "target", "Is a directory", Type::directory},
        {"path ending in a slash", "", "target/", "Is a directory", Type::not_found},
        {"file in a missing folder", "", "nowhere/target", noEntry, Type::not_found},
        {"empty path", "", "", noEntry, Type::not_found},
        {"read-only file", OLD_FILE + "target && chmod 444 target && chown nobody target", "target", denied,
         Type::regular, "target", Untouched, true},
        {"file in a folder the user cannot write",
         "mkdir locked && " + OLD_FILE +
             "locked/target && chown -R nobody "
             "locked && chmod 555 locked",
         "locked/target", "", Type::regular, "locked/target", SameFile, true},
        {"new file in a folder the user cannot write", "mkdir -m 555 locked", "locked/target", denied, Type::not_found,
         "locked/target", Untouched, true},
    };
    if (Root()) {
        rows.insert(rows.end(), {
                                    {"a user's file saved by root", OLD_FILE + "target && chown nobody target",
                                     "target", "", Type::regular, "target", Replaced},
                                    {"another user's link in a sticky folder", planted + "daemon shared/cfg.txt",
                                     "shared/cfg.txt", denied, Type::symlink, "victim", Untouched, true},
                                    {"the sticky folder owner's link", planted + "root shared/cfg.txt",
                                     "shared/cfg.txt", "", Type::symlink, "victim", Replaced, true},
                                    {"another user's file in a sticky folder",
                                     "mkdir -m 1777 shared && " + OLD_FILE +
                                         "shared/cfg && chmod "
                                         "666 shared/cfg && chown daemon shared/cfg",
                                     "shared/cfg", denied, Type::regular, "shared/cfg", Untouched, true},
                                    {"another user's FIFO in a sticky folder",
                                     "mkdir -m 1777 shared && mkfifo -m 666 shared/fifo && chown "
                                     "daemon shared/fifo",
                                     "shared/fifo", denied, Type::fifo, "", Untouched, true},
                                    {"device node, as /dev/null", "mknod target c 1 3", "target", "", Type::character},
                                    {"device node that takes nothing, as /dev/full", "mknod target c 1 7", "target",
                                     "No space left on device", Type::character},
                                });
    }
    for (const TargetCase& row : rows) {
        Check(row);
        Clear();
    }
}

// A stream gets the bytes where its own next write would put them: a
// descriptor of this process behind /proc/self/fd (as /dev/stdout) keeps its
// position and O_APPEND, one it cannot write through is appended to; a pipe,
// a FIFO with a reader and a terminal get them; none is rewound or cut.
TEST_F(OnDisk, StreamsAreWrittenAtTheirOwnPosition) {
    const auto fdPath = [](int fd) { return "/proc/self/fd/" + std::to_string(fd); };
    const struct {
        int flags;
        std::string expected;
    } files[] = {
        {O_WRONLY | O_TRUNC, "header\n" + NEW}, {O_WRONLY | O_APPEND, OLD + "header\n" + NEW}, {O_RDONLY, OLD + NEW}};
    for (const auto& [flags, expected] : files) {
        std::ofstream(Path("log.txt"), std::ios::binary) << OLD;
        const int fd = ::open(Path("log.txt").c_str(), flags);
        EXPECT_EQ(::write(fd, "header\n", 7), flags == O_RDONLY ? -1 : 7);
        EXPECT_TRUE(SaveWholeFile(fdPath(fd), NEW).ok);
        EXPECT_EQ(ReadBytes(Path("log.txt")), expected);
        ::close(fd);
    }
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(Shell("mkfifo fifo"), 0);
    const int fifo = ::open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    termios raw{};
    ::tcgetattr(terminal, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(terminal, TCSANOW, &raw);
    const std::pair<std::string, int> streams[] = {
        {fdPath(ends[1]), ends[0]}, {Path("fifo"), fifo}, {::ptsname(terminal), terminal}};
    for (const auto& [path, reader] : streams) {
        EXPECT_TRUE(SaveWholeFile(path, NEW).ok) << path;
        EXPECT_EQ(ReadFd(reader), NEW) << path;
    }
    EXPECT_EQ(fs::symlink_status(Path("fifo")).type(), Type::fifo);
    for (int fd : {ends[0], ends[1], fifo, terminal}) ::close(fd);
}

// A replaced file keeps its ACL and extended attributes, and with them its
// mode (the group bits are the ACL's mask); an ACL the folder would give a
// new file does not widen it. A new file is 0600 whatever the umask and the
// folder's default ACL allow.
TEST_F(OnDisk, ReplacedFilesKeepAclAndAttributesNewFilesAreTheOwners) {
    std::ofstream(Path("shared.txt")) << OLD;
    ASSERT_EQ(::setxattr(Path("shared.txt").c_str(), "system.posix_acl_access", Acl(6).data(), Acl(6).size(), 0), 0);
    ASSERT_EQ(::setxattr(Path("shared.txt").c_str(), "user.tag", "kept", 4, 0), 0);
    std::ofstream(Path("plain.txt")) << OLD;
    ASSERT_EQ(::chmod(Path("plain.txt").c_str(), 0640), 0);
    ASSERT_EQ(::setxattr(dir_.c_str(), "system.posix_acl_default", Acl(7).data(), Acl(7).size(), 0), 0);
    for (const std::string name : {"shared.txt", "plain.txt"}) {
        const std::vector<std::string> attributes = Attributes(Path(name));
        struct stat before {
        }, after{};
        ::stat(Path(name).c_str(), &before);
        EXPECT_TRUE(SaveWholeFile(Path(name), NEW).ok);
        ::stat(Path(name).c_str(), &after);
        EXPECT_NE(after.st_ino, before.st_ino) << name;
        EXPECT_EQ(after.st_mode, before.st_mode) << name;
        EXPECT_EQ(Attributes(Path(name)), attributes) << name;
    }
    EXPECT_TRUE(SaveWholeFile(Path("new.txt"), NEW).ok);
    struct stat created {};
    ::stat(Path("new.txt").c_str(), &created);
    EXPECT_EQ(created.st_mode & 0777, 0600u);
}

// Saves at once into a file written in place (it has a second hard link)
// take turns: a reader that waits for them sees one whole save every time.
TEST_F(OnDisk, SavesInPlaceAtOnceLeaveOneWholeSave) {
    ASSERT_EQ(Shell(OLD_FILE + "target && ln target other"), 0);
    const std::string shortText(77, 'a'), longText(149, 'b');
    pid_t savers[2];
    for (int i = 0; i < 2; ++i) {
        if ((savers[i] = ::fork()) == 0) {
            for (int round = 0; round < 300; ++round) SaveWholeFile(Path("target"), i ? longText : shortText);
            ::_exit(0);
        }
    }
    int mixed = 0;
    for (int round = 0; round < 300; ++round) {
        const int fd = ::open(Path("other").c_str(), O_RDONLY);
        ::flock(fd, LOCK_SH);
        const std::string seen = ReadBytes(Path("other"));
        mixed += seen != OLD && seen != shortText && seen != longText;
        ::close(fd);
    }
    for (pid_t saver : savers) ::waitpid(saver, nullptr, 0);
    EXPECT_EQ(mixed, 0);
}

// A write error (a file size limit fails it as a full disk would, even for
// root) fails the save: a replaced file stays as it was and no temporary is
// left; a file written in place reports the failure.
TEST_F(OnDisk, WriteErrorsFailTheSave) {
    ASSERT_EQ(Shell(OLD_FILE + "set.txt && ln -s set.txt link.txt && " + OLD_FILE + "shared && ln shared second"), 0);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{16, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileStatus replaced = SaveWholeFile(Path("link.txt"), std::string(200, 'z'));
    const FileStatus inPlace = SaveWholeFile(Path("second"), std::string(200, 'z'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    for (const FileStatus& status : {replaced, inPlace}) EXPECT_EQ(status.reason, "File too large");
    EXPECT_EQ(ReadBytes(Path("set.txt")), OLD);
    EXPECT_EQ(Entries(), 4);
}

// A 10000-byte file loads, from a path or from standard input (/dev/stdin
// too, as a stream); one byte more, a missing file, a folder, a FIFO and a
// device (neither of them opened), an empty path and an empty file are
// refused and change nothing. A set saved loads back; a line break is
// refused and the old file stays; a failure names the system's reason.
TEST_F(OnDisk, ConfigurationLoadsAndSaves) {
    std::string text = FormatConfiguration(SAVED);
    text.resize(CONFIG_FILE_MAX, ' ');
    std::ofstream(Path("limit.txt"), std::ios::binary) << text;
    std::ofstream(Path("over.txt"), std::ios::binary) << text + " ";
    ASSERT_EQ(Shell("mkdir sub && mkfifo fifo && touch empty.txt && mknod zero c 1 5"), 0);
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ::inotify_add_watch(watch, Path("fifo").c_str(), IN_OPEN);
    ::inotify_add_watch(watch, Path("zero").c_str(), IN_OPEN);
    const int standardInput = ::dup(STDIN_FILENO);
    const auto load = [&](const std::string& path, const std::string& piped = "") {
        ModuleParamSet params = Sentinel();
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        EXPECT_EQ(::write(ends[1], piped.data(), piped.size()), static_cast<ssize_t>(piped.size()));
        ::close(ends[1]);
        ::dup2(ends[0], STDIN_FILENO);
        ::close(ends[0]);
        const ConfigLoadResult result =
            path == "-" ? LoadConfigurationInput(params) : LoadConfigurationFile(path, params);
        ::dup2(standardInput, STDIN_FILENO);
        return std::pair(result, Dump(params));
    };
    const std::string piped = FormatConfiguration(SAVED);
    const std::pair<std::string, std::string> sources[] = {
        {Path("limit.txt"), ""}, {"-", piped}, {"/dev/stdin", piped}};
    for (const auto& [path, input] : sources) {
        const auto [result, params] = load(path, input);
        EXPECT_TRUE(result.ok) << path;
        EXPECT_EQ(params, Dump(SAVED)) << path;
    }
    const char* const failure = OPEN_FAILURE_MESSAGE;
    const struct {
        std::string path;
        const char* message;
        std::string reason;
    } rows[] = {
        {Path("over.txt"), failure, "File too large"},      {Path("missing.txt"), failure, "No such file or directory"},
        {Path("sub"), failure, "Is a directory"},           {Path("fifo"), failure, "Not a regular file"},
        {Path("zero"), failure, "Not a regular file"},      {std::string(), failure, "No such file or directory"},
        {Path("empty.txt"), SECTION_ERROR_MESSAGES[0], ""}, {"-", SECTION_ERROR_MESSAGES[0], ""},
    };
    for (const auto& row : rows) {
        const auto [result, params] = load(row.path);
        EXPECT_STREQ(result.message, row.message) << row.path;
        EXPECT_EQ(result.reason, row.reason) << row.path;
        EXPECT_EQ(params, Dump(Sentinel())) << row.path;
    }
    inotify_event event{};
    EXPECT_EQ(::read(watch, &event, sizeof event), -1);  // neither the FIFO nor the device was opened
    ::close(watch);
    ::close(standardInput);

    const ConfigSaveResult refused = SaveConfigurationFile(Path("limit.txt"), MakeParams(1, 2, 3, "a\r\n", "k", {}));
    EXPECT_EQ(refused.outcome, SaveOutcome::Refused);
    EXPECT_STREQ(refused.message, SSID_LINE_BREAK_MESSAGE);
    EXPECT_EQ(ReadBytes(Path("limit.txt")), text);
    EXPECT_EQ(SaveConfigurationFile(Path("limit.txt"), SAVED).outcome, SaveOutcome::Saved);
    EXPECT_EQ(ReadBytes(Path("limit.txt")), FormatConfiguration(SAVED));
    const ConfigSaveResult failed = SaveConfigurationFile(Path("no/set.txt"), SAVED);
    EXPECT_EQ(failed.outcome, SaveOutcome::Failed);
    EXPECT_EQ(FileMessage("no/set.txt", failed.message, failed.reason),
              "no/set.txt: Save database file failure (No such file or directory)");
    EXPECT_EQ(FileMessage("in.txt", "[G2] format error"), "in.txt: [G2] format error");
}

}  // namespace lq3860
