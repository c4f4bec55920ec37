// Saving onto every kind of target: what the save reports, what stands at the
// path afterwards, who owns the file that took the bytes, whether it is still
// the same file, and which bytes arrived. Cases of an unprivileged user run
// in a forked child as nobody when the tests run as root (root may write any
// file and folder, so they would prove nothing).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "params/file_storage.h"

namespace lq3860 {

namespace {

namespace fs = std::filesystem;

constexpr uid_t NOBODY = 65534;   // the unprivileged saver when the tests run as root
constexpr uid_t PLANTER = 65533;  // another user who plants a link
const std::string OLD = "old bytes that were there first\r\n";
const std::string NEW = "[G1]\r\n00,06,04,\r\n[END]\r\n";
const std::string READER = "<reader>";  // the bytes arrive at the reading end the case opened

enum class Kind { Missing, Regular, Link, Fifo, CharDevice, Socket, Folder, Other };

Kind KindOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return Kind::Missing;
    if (S_ISREG(info.st_mode)) return Kind::Regular;
    if (S_ISLNK(info.st_mode)) return Kind::Link;
    if (S_ISFIFO(info.st_mode)) return Kind::Fifo;
    if (S_ISCHR(info.st_mode)) return Kind::CharDevice;
    if (S_ISSOCK(info.st_mode)) return Kind::Socket;
    if (S_ISDIR(info.st_mode)) return Kind::Folder;
    return Kind::Other;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// What the reading end holds: up to `expected` bytes, waiting a little for
// them (a terminal passes them on asynchronously); nothing waits when none
// are expected.
std::string Drain(int fd, std::size_t expected) {
    std::string got;
    char buffer[512];
    pollfd ready{fd, POLLIN, 0};
    while (got.size() < expected || expected == 0) {
        if (::poll(&ready, 1, expected == 0 ? 0 : 2000) <= 0) break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

// The file that takes the bytes afterwards: a new one, a new one under the
// old name (replaced), the same one written in place, or left alone.
enum class Identity { New, Replaced, SameFile, Untouched };

struct TargetCase {
    std::string what;
    std::function<std::string()> make;  // builds the target; gives the path to save to
    std::string reason;                 // empty: the save succeeds; else the reason it fails with
    Kind kindAfter;                     // what stands at that path afterwards
    std::string receiver;               // where the bytes go: a file in the folder, READER, or "" (nowhere to look)
    Identity identity = Identity::Untouched;
    bool unprivileged = false;  // saved by an unprivileged user
};

class SaveTargets : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lq3860-storage-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::permissions(dir_, fs::perms::all);  // the unprivileged saver works here too
        oldMask_ = ::umask(022);
    }
    void TearDown() override {
        ::umask(oldMask_);
        for (int fd : descriptors_) ::close(fd);
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            if (entry.is_directory() && !entry.is_symlink()) fs::permissions(entry.path(), fs::perms::all);
        }
        fs::remove_all(dir_);
    }

    static bool Root() { return ::geteuid() == 0; }
    uid_t Saver(bool unprivileged) const { return unprivileged && Root() ? NOBODY : ::geteuid(); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    int Keep(int fd) {
        descriptors_.push_back(fd);
        return fd;
    }

    // Builders; each gives the path it made.
    std::string MakeFile(const std::string& name, mode_t mode = 0640) {
        WriteBytes(Path(name), OLD);
        ::chmod(Path(name).c_str(), mode);
        return Path(name);
    }
    std::string MakeFolder(const std::string& name, mode_t mode = 0755) {
        fs::create_directory(Path(name));
        ::chmod(Path(name).c_str(), mode);
        return Path(name);
    }
    std::string MakeLink(const std::string& target, const std::string& name) {
        fs::create_symlink(target, Path(name));
        return Path(name);
    }
    // Gives a file or link to the unprivileged saver (only root can).
    void GiveToSaver(const std::string& name) {
        if (Root()) {
            EXPECT_EQ(::lchown(Path(name).c_str(), NOBODY, NOBODY), 0);
        }
    }

    // Saves as this user, or as nobody in a forked child when `unprivileged`
    // and running as root; the child hands its outcome back through a pipe.
    FileStatus Save(const std::string& path, bool unprivileged) {
        if (!unprivileged || !Root()) return SaveWholeFile(path, NEW);
        int channel[2];
        if (::pipe(channel) != 0) return {false, "no pipe"};
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            std::string report = "child could not drop to nobody";
            if (::setgroups(0, nullptr) == 0 && ::setgid(NOBODY) == 0 && ::setuid(NOBODY) == 0) {
                const FileStatus status = SaveWholeFile(path, NEW);
                report = (status.ok ? "1" : "0") + status.reason;
            }
            const ssize_t ignored = ::write(channel[1], report.data(), report.size());
            static_cast<void>(ignored);
            ::_exit(0);
        }
        ::close(channel[1]);
        const std::string report = Drain(channel[0], 1000);
        ::close(channel[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (report.empty() || (report[0] != '0' && report[0] != '1')) return {false, report};
        return {report[0] == '1', report.substr(1)};
    }

    // No temporary file is left anywhere in the folder.
    int Leftovers() const {
        int count = 0;
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            count += entry.path().filename().string().rfind(".lq3860-save-", 0) == 0;
        }
        return count;
    }

    void Check(const TargetCase& row) {
        SCOPED_TRACE(row.what);
        reader_ = -1;
        const std::string path = row.make();
        const std::string receiver = row.receiver == READER || row.receiver.empty() ? "" : Path(row.receiver);
        struct stat before {};
        const bool existed = !receiver.empty() && ::lstat(receiver.c_str(), &before) == 0;

        const FileStatus status = Save(path, row.unprivileged);
        EXPECT_EQ(status.ok, row.reason.empty());
        EXPECT_EQ(status.reason, row.reason);
        EXPECT_EQ(KindOf(path), row.kindAfter);
        EXPECT_EQ(Leftovers(), 0);
        if (row.receiver == READER) {
            EXPECT_EQ(Drain(reader_, status.ok ? NEW.size() : 0), status.ok ? NEW : "");
        }
        if (receiver.empty()) return;

        struct stat after {};
        const bool exists = ::lstat(receiver.c_str(), &after) == 0;
        const std::string bytes = ReadBytes(receiver);
        switch (row.identity) {
            case Identity::New:
                ASSERT_TRUE(!existed && exists);
                EXPECT_EQ(bytes, NEW);
                EXPECT_EQ(after.st_uid, Saver(row.unprivileged));
                EXPECT_EQ(after.st_mode & 07777, 0644u);  // 0666 less the umask
                break;
            case Identity::Replaced:
            case Identity::SameFile:
                ASSERT_TRUE(existed && exists);
                EXPECT_EQ(bytes, NEW);
                EXPECT_EQ(after.st_ino != before.st_ino, row.identity == Identity::Replaced);
                EXPECT_EQ(std::tuple(after.st_uid, after.st_gid, after.st_mode, after.st_nlink),
                          std::tuple(before.st_uid, before.st_gid, before.st_mode, before.st_nlink));
                break;
            case Identity::Untouched:
                EXPECT_EQ(exists, existed);
                EXPECT_EQ(after.st_ino, before.st_ino);
                if (existed) {
                    EXPECT_EQ(bytes, OLD);
                }
                break;
        }
    }

    std::string dir_;
    int reader_ = -1;  // the reading end of a FIFO or terminal a case opened

private:
    std::vector<int> descriptors_;
    mode_t oldMask_ = 0;
};

}  // namespace

// Targets any user meets. A regular file is replaced by a new file beside it
// that takes its owner, group and mode; links are saved through and stay; a
// FIFO or terminal gets the bytes, never a file in its place; what cannot
// take them fails with the system's reason and stays as it was.
TEST_F(SaveTargets, EveryKindOfTargetKeepsItsKindAndGetsTheBytesOrSaysWhyNot) {
    using enum Kind;
    using enum Identity;
    const std::vector<TargetCase> rows = {
        {"nothing there yet", [&] { return Path("target"); }, "", Regular, "target", New},
        {"regular file", [&] { return MakeFile("target"); }, "", Regular, "target", Replaced},
        {"link",
         [&] {
             MakeFile("file");
             return MakeLink("file", "target");
         },
         "", Link, "file", Replaced},
        {"link to a link in another folder, each read from its own folder",
         [&] {
             MakeFolder("sub");
             MakeFile("file");
             MakeLink("../file", "sub/hop");
             return MakeLink("sub/hop", "target");
         },
         "", Link, "file", Replaced},
        {"dangling link",
         [&] {
             MakeFolder("sub");
             return MakeLink("sub/new.txt", "target");
         },
         "", Link, "sub/new.txt", New},
        {"dangling link into a missing folder", [&] { return MakeLink("nowhere/new.txt", "target"); },
         "No such file or directory", Link, "nowhere/new.txt"},
        {"links to each other", [&] { return MakeLink("target", "target"); }, "Too many levels of symbolic links", Link,
         ""},
        {"file with a second hard link",
         [&] {
             MakeFile("file");
             fs::create_hard_link(Path("file"), Path("target"));
             return Path("target");
         },
         "", Regular, "file", SameFile},
        {"file behind a descriptor link in /proc",
         [&] {
             MakeFile("file");
             return "/proc/self/fd/" + std::to_string(Keep(::open(Path("file").c_str(), O_RDONLY)));
         },
         "", Link, "file", SameFile},
        {"pipe behind a descriptor link in /proc",
         [&] {
             int ends[2];
             EXPECT_EQ(::pipe(ends), 0);
             reader_ = Keep(ends[0]);
             return "/proc/self/fd/" + std::to_string(Keep(ends[1]));
         },
         "", Link, READER},
        {"FIFO without a reader",
         [&] {
             EXPECT_EQ(::mkfifo(Path("target").c_str(), 0644), 0);
             return Path("target");
         },
         "No such device or address", Fifo, ""},
        {"FIFO with a reader",
         [&] {
             EXPECT_EQ(::mkfifo(Path("target").c_str(), 0644), 0);
             reader_ = Keep(::open(Path("target").c_str(), O_RDONLY | O_NONBLOCK));
             return Path("target");
         },
         "", Fifo, READER},
        {"terminal",
         [&] {
             const int master = Keep(::posix_openpt(O_RDWR | O_NOCTTY));
             EXPECT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
             termios raw{};
             ::tcgetattr(master, &raw);
             ::cfmakeraw(&raw);  // CR LF passes unchanged
             ::tcsetattr(master, TCSANOW, &raw);
             reader_ = master;
             return std::string(::ptsname(master));
         },
         "", CharDevice, READER},
        {"socket",
         [&] {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::strncpy(address.sun_path, Path("target").c_str(), sizeof address.sun_path - 1);
             const int server = Keep(::socket(AF_UNIX, SOCK_STREAM, 0));
             EXPECT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             return Path("target");
         },
         "No such device or address", Socket, ""},
        {"folder", [&] { return MakeFolder("target"); }, "Is a directory", Folder, ""},
        {"path ending in a slash", [&] { return Path("target/"); }, "Is a directory", Missing, ""},
        {"file in a missing folder", [&] { return Path("nowhere/target"); }, "No such file or directory", Missing,
         "nowhere/target"},
        {"empty path", [] { return std::string(); }, "No such file or directory", Missing, ""},
        {"read-only file",
         [&] {
             MakeFile("target", 0444);
             GiveToSaver("target");
             return Path("target");
         },
         "Permission denied", Regular, "target", Untouched, true},
        {"writable file in a folder the user cannot write",
         [&] {
             MakeFolder("locked", 0777);
             MakeFile("locked/target", 0644);
             GiveToSaver("locked/target");
             ::chmod(Path("locked").c_str(), 0555);
             return Path("locked/target");
         },
         "", Regular, "locked/target", SameFile, true},
        {"new file in a folder the user cannot write", [&] { return MakeFolder("locked", 0555) + "/target"; },
         "Permission denied", Missing, "locked/target", Untouched, true},
        {"own link in a sticky shared folder",
         [&] {
             MakeFile("mine");
             GiveToSaver("mine");
             MakeFolder("shared", 01777);
             MakeLink("../mine", "shared/target");
             GiveToSaver("shared/target");
             return Path("shared/target");
         },
         "", Link, "mine", Replaced, true},
    };
    for (const TargetCase& row : rows) {
        Check(row);
        fs::remove_all(Path("target"));
        for (const char* name : {"file", "sub", "locked", "shared", "mine"}) {
            if (fs::exists(Path(name))) ::chmod(Path(name).c_str(), 0755);
            fs::remove_all(Path(name));
        }
    }
}

// Targets that need a second user or a device node: root saving over a
// user's file leaves it the user's; in a sticky shared folder, a link another
// user planted is refused (a link of the folder's owner is followed), and so
// is a file or FIFO another user made there, as the kernel's rules for such
// folders refuse them, whatever their settings; a device node stays one.
TEST_F(SaveTargets, OwnersPlantedLinksAndDeviceNodesNeedRoot) {
    if (!Root()) GTEST_SKIP() << "needs root: files of other users and device nodes";
    using enum Kind;
    using enum Identity;
    const auto plantedBy = [&](uid_t owner) {
        return [this, owner] {
            MakeFile("victim", 0644);
            GiveToSaver("victim");
            MakeFolder("shared", 01777);
            MakeLink("../victim", "shared/cfg.txt");
            EXPECT_EQ(::lchown(Path("shared/cfg.txt").c_str(), owner, owner), 0);
            return Path("shared/cfg.txt");
        };
    };
    // A node of the memory devices in the test folder, never the system's
    // own: a broken save would put a file in its place.
    const auto MakeDevice = [&](unsigned minor) {
        EXPECT_EQ(::mknod(Path("target").c_str(), S_IFCHR | 0666, makedev(1, minor)), 0);
        return Path("target");
    };
    const std::vector<TargetCase> rows = {
        {"a user's file saved by root",
         [&] {
             MakeFile("target", 0640);
             GiveToSaver("target");
             return Path("target");
         },
         "", Regular, "target", Replaced},
        {"link planted by another user in a sticky shared folder", plantedBy(PLANTER), "Permission denied", Link,
         "victim", Untouched, true},
        {"link of the sticky folder's owner", plantedBy(0), "", Link, "victim", Replaced, true},
        {"another user's writable file in a sticky shared folder",
         [&] {
             MakeFolder("shared", 01777);
             MakeFile("shared/cfg.txt", 0666);
             EXPECT_EQ(::chown(Path("shared/cfg.txt").c_str(), PLANTER, PLANTER), 0);
             return Path("shared/cfg.txt");
         },
         "Permission denied", Regular, "shared/cfg.txt", Untouched, true},
        {"another user's FIFO in a sticky shared folder",
         [&] {
             MakeFolder("shared", 01777);
             EXPECT_EQ(::mkfifo(Path("shared/fifo").c_str(), 0666), 0);
             EXPECT_EQ(::chmod(Path("shared/fifo").c_str(), 0666), 0);  // writable by all, past the umask
             EXPECT_EQ(::chown(Path("shared/fifo").c_str(), PLANTER, PLANTER), 0);
             reader_ = Keep(::open(Path("shared/fifo").c_str(), O_RDONLY | O_NONBLOCK));
             return Path("shared/fifo");
         },
         "Permission denied", Fifo, READER, Untouched, true},
        {"device node", [&] { return MakeDevice(3); }, "", CharDevice, ""},  // as /dev/null
        {"device node that takes nothing", [&] { return MakeDevice(7); }, "No space left on device", CharDevice,
         ""},  // as /dev/full
    };
    for (const TargetCase& row : rows) {
        Check(row);
        for (const char* name : {"target", "victim", "shared"}) fs::remove_all(Path(name));
    }
}

// A write error (a file size limit fails the write as a full disk would, even
// for root) fails the save. A replaced file stays as it was and no temporary
// is left; a file written in place reports the failure.
TEST_F(SaveTargets, WriteErrorsFailTheSave) {
    WriteBytes(Path("set.txt"), std::string(500, 'x'));
    fs::create_symlink("set.txt", Path("link.txt"));
    WriteBytes(Path("shared.txt"), std::string(500, 'x'));
    fs::create_hard_link(Path("shared.txt"), Path("second.txt"));
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{16, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileStatus replaced = SaveWholeFile(Path("link.txt"), std::string(200, 'z'));
    const FileStatus inPlace = SaveWholeFile(Path("second.txt"), std::string(200, 'z'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(std::tuple(replaced.ok, replaced.reason), std::tuple(false, "File too large"));
    EXPECT_EQ(std::tuple(inPlace.ok, inPlace.reason), std::tuple(false, "File too large"));
    EXPECT_EQ(ReadBytes(Path("set.txt")), std::string(500, 'x'));
    EXPECT_EQ(Leftovers(), 0);
}

// A new file gets 0666 less the umask; a replaced one keeps its mode.
TEST_F(SaveTargets, NewFileGetsTheUmaskModeAReplacedOneKeepsItsMode) {
    ::umask(077);
    ASSERT_TRUE(SaveWholeFile(Path("private.txt"), "b").ok);
    EXPECT_EQ(fs::status(Path("private.txt")).permissions(), fs::perms(0600));
    fs::permissions(Path("private.txt"), fs::perms(0640));
    ASSERT_TRUE(SaveWholeFile(Path("private.txt"), "c").ok);
    EXPECT_EQ(fs::status(Path("private.txt")).permissions(), fs::perms(0640));
}

// Loading refuses without waiting what is not a regular file, and names why.
TEST_F(SaveTargets, LoadRefusalsSayWhy) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    fs::create_directory(Path("sub"));
    WriteBytes(Path("big.txt"), std::string(11, 'b'));
    WriteBytes(Path("fits.txt"), std::string(10, 'f'));
    const struct {
        std::string path;
        std::string reason;
    } rows[] = {
        {Path("missing.txt"), "No such file or directory"},
        {Path("fifo"), "Not a regular file"},
        {Path("sub"), "Is a directory"},
        {Path("big.txt"), "File too large"},
        {"", "No such file or directory"},
        {Path("fits.txt"), ""},
    };
    for (const auto& row : rows) {
        std::string bytes = "before";
        const FileStatus status = LoadWholeFile(row.path, 10, bytes);
        EXPECT_EQ(std::tuple(status.ok, status.reason), std::tuple(row.reason.empty(), row.reason)) << row.path;
        EXPECT_EQ(bytes, row.reason.empty() ? std::string(10, 'f') : "before") << row.path;
    }
}

}  // namespace lq3860
