// SPDX-License-Identifier: MIT
// Configuration files on disk and the file storage beneath them. Saving onto
// every kind of target: what the save reports, what stands at the path
// afterwards, who owns the file that took the bytes, whether it is still the
// same file, and which bytes arrived. Cases of an unprivileged user run in a
// forked child as nobody when the tests run as root (root may write any file
// and folder, so they would prove nothing). (The text itself:
// config_text_test.cpp.)
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
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "param_set_helpers.h"
#include "params/config_file.h"
#include "params/file_storage.h"

namespace lq3860 {

namespace {

namespace fs = std::filesystem;
using Type = fs::file_type;

constexpr uid_t NOBODY = 65534;   // the unprivileged saver when the tests run as root
constexpr uid_t PLANTER = 65533;  // another user
const std::string OLD = "old bytes that were there first\r\n";
const std::string NEW = "[G1]\r\n00,06,04,\r\n[END]\r\n";
const std::string READER = "<reader>";  // the bytes arrive at the reading end the case opened
const ModuleParamSet SAVED = MakeParams(0, 9, 3, "office,1", "pass,word!", {0x00, 0x1C, 0x42, 0xAB, 0xCD, 0xEF});

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
    std::string setup;     // the steps that build the target (OnDisk::Build)
    std::string path;      // the name saved to in the folder, unless a step gives the path; "" for the empty path
    std::string reason;    // empty: the save succeeds; else the reason it fails with
    Type typeAfter;        // what stands at the path afterwards
    std::string receiver;  // where the bytes go: a file in the folder, READER, or "" (nowhere to look)
    Identity identity = Identity::Untouched;
    bool unprivileged = false;  // saved by an unprivileged user
};

class OnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lq3860-storage-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::permissions(dir_, fs::perms::all);  // the unprivileged saver works here too
        oldMask_ = ::umask(027);                // new files get 0640: neither a fixed 0644 nor the temporary's 0600
    }
    void TearDown() override {
        Clear();
        fs::remove(dir_);
        ::umask(oldMask_);
    }
    // Empties the folder and closes what the steps opened.
    void Clear() {
        for (int fd : descriptors_) ::close(fd);
        descriptors_.clear();
        reader_ = -1;
        given_.clear();
        for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
            if (!entry.is_symlink() && entry.is_directory()) fs::permissions(entry.path(), fs::perms::all);
        }
        for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
    }

    static bool Root() { return ::geteuid() == 0; }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    int Keep(int fd) {
        descriptors_.push_back(fd);
        return fd;
    }
    // Everything in the folder: one more than the case made means a temporary was left.
    long Entries() const {
        return std::distance(fs::recursive_directory_iterator(dir_), fs::recursive_directory_iterator());
    }

    // Runs the steps of `setup`, separated by ";", each a verb and its words.
    // Names are in the test folder, modes octal:
    //   file NAME [MODE]   a file holding OLD (640)   dir NAME [MODE]   a folder (755)
    //   chmod NAME MODE                               own NAME USER     gives it to nobody, planter or root (as root)
    //   link NAME TEXT     a symbolic link            hard NAME FILE    a second hard link to FILE
    //   fifo NAME [MODE]   a FIFO (644)               reader NAME       opens the FIFO's reading end
    //   socket NAME        a bound socket             node NAME MINOR   a memory device node, never the system's own
    //   fd FILE            gives /proc/self/fd/N of FILE opened read-only
    //   pipe               gives /proc/self/fd/N of a pipe's writing end; its reading end is the reader
    //   pty                gives a raw terminal (CR LF passes unchanged); its master is the reader
    void Build(const std::string& setup) {
        std::istringstream steps(setup);
        for (std::string step; std::getline(steps, step, ';');) {
            std::istringstream words(step);
            std::string verb, name, arg;
            words >> verb >> name >> arg;
            const std::string path = Path(name);
            const auto mode = [&arg](mode_t fallback) {
                return arg.empty() ? fallback : static_cast<mode_t>(std::stoul(arg, nullptr, 8));
            };
            if (verb == "file") {
                WriteBytes(path, OLD);
                EXPECT_EQ(::chmod(path.c_str(), mode(0640)), 0);
            } else if (verb == "dir") {
                EXPECT_TRUE(fs::create_directory(path) && ::chmod(path.c_str(), mode(0755)) == 0);
            } else if (verb == "chmod") {
                EXPECT_EQ(::chmod(path.c_str(), mode(0)), 0);
            } else if (verb == "own") {
                const uid_t user = arg == "nobody" ? NOBODY : arg == "planter" ? PLANTER : 0;
                EXPECT_TRUE(!Root() || ::lchown(path.c_str(), user, user) == 0);
            } else if (verb == "link") {
                fs::create_symlink(arg, path);
            } else if (verb == "hard") {
                fs::create_hard_link(Path(arg), path);
            } else if (verb == "fifo") {
                EXPECT_TRUE(::mkfifo(path.c_str(), 0600) == 0 && ::chmod(path.c_str(), mode(0644)) == 0);
            } else if (verb == "reader") {
                reader_ = Keep(::open(path.c_str(), O_RDONLY | O_NONBLOCK));
            } else if (verb == "socket") {
                sockaddr_un address{};
                address.sun_family = AF_UNIX;
                std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
                const int server = Keep(::socket(AF_UNIX, SOCK_STREAM, 0));
                EXPECT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            } else if (verb == "node") {
                EXPECT_EQ(::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, std::stoi(arg))), 0);
            } else if (verb == "fd") {
                given_ = "/proc/self/fd/" + std::to_string(Keep(::open(path.c_str(), O_RDONLY)));
            } else if (verb == "pipe") {
                int ends[2] = {-1, -1};
                EXPECT_EQ(::pipe(ends), 0);
                reader_ = Keep(ends[0]);
                given_ = "/proc/self/fd/" + std::to_string(Keep(ends[1]));
            } else if (verb == "pty") {
                reader_ = Keep(::posix_openpt(O_RDWR | O_NOCTTY));
                EXPECT_TRUE(::grantpt(reader_) == 0 && ::unlockpt(reader_) == 0);
                termios raw{};
                ::tcgetattr(reader_, &raw);
                ::cfmakeraw(&raw);
                ::tcsetattr(reader_, TCSANOW, &raw);
                given_ = ::ptsname(reader_);
            } else {
                ADD_FAILURE() << "unknown step: " << step;
            }
        }
    }

    // Saves as this user, or as nobody in a forked child when `unprivileged`
    // and running as root; the child hands its outcome back through a pipe.
    FileStatus Save(const std::string& path, bool unprivileged) {
        if (!unprivileged || !Root()) return SaveWholeFile(path, NEW);
        int channel[2];
        if (::pipe(channel) != 0) return {false, "no pipe"};
        if (::fork() == 0) {
            const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(NOBODY) == 0 && ::setuid(NOBODY) == 0;
            const FileStatus status = dropped ? SaveWholeFile(path, NEW) : FileStatus{false, "still root"};
            const std::string report = (status.ok ? "1" : "0") + status.reason;
            ::_exit(::write(channel[1], report.data(), report.size()) < 0);
        }
        ::close(channel[1]);
        ::wait(nullptr);
        const std::string report = Drain(channel[0], 1000);
        ::close(channel[0]);
        return {report.starts_with('1'), report.empty() ? "no report" : report.substr(1)};
    }

    void Check(const TargetCase& row) {
        SCOPED_TRACE(row.what);
        Build(row.setup);
        const std::string path = !given_.empty() ? given_ : row.path.empty() ? "" : Path(row.path);
        const std::string receiver = row.receiver == READER || row.receiver.empty() ? "" : Path(row.receiver);
        struct stat before = {}, after = {};
        const bool existed = !receiver.empty() && ::lstat(receiver.c_str(), &before) == 0;
        const long entries = Entries();

        const FileStatus status = Save(path, row.unprivileged);
        EXPECT_EQ(std::tuple(status.ok, status.reason), std::tuple(row.reason.empty(), row.reason));
        std::error_code error;
        EXPECT_EQ(fs::symlink_status(path, error).type(), row.typeAfter);
        EXPECT_EQ(Entries(), entries + (row.identity == Identity::New));
        if (row.receiver == READER) {
            EXPECT_EQ(Drain(reader_, status.ok ? NEW.size() : 0), status.ok ? NEW : "");
        }
        if (receiver.empty()) return;
        const bool exists = ::lstat(receiver.c_str(), &after) == 0;
        if (row.identity == Identity::Untouched) {
            EXPECT_EQ(std::tuple(exists, after.st_ino), std::tuple(existed, before.st_ino));
            EXPECT_EQ(ReadBytes(receiver), existed ? OLD : "");
            return;
        }
        ASSERT_TRUE(exists && existed == (row.identity != Identity::New));
        EXPECT_EQ(ReadBytes(receiver), NEW);
        if (row.identity == Identity::New) {
            const uid_t saver = row.unprivileged && Root() ? NOBODY : ::geteuid();
            EXPECT_EQ(std::tuple(after.st_uid, after.st_mode & 07777), std::tuple(saver, 0640u));
        } else {
            EXPECT_EQ(after.st_ino != before.st_ino, row.identity == Identity::Replaced);
            EXPECT_EQ(std::tuple(after.st_uid, after.st_gid, after.st_mode, after.st_nlink),
                      std::tuple(before.st_uid, before.st_gid, before.st_mode, before.st_nlink));
        }
    }

    std::string dir_;

private:
    std::vector<int> descriptors_;
    int reader_ = -1;    // the reading end of a FIFO, pipe or terminal a step opened
    std::string given_;  // the path a step gave
    mode_t oldMask_ = 0;
};

}  // namespace

// Targets any user meets. A regular file is replaced by a new file beside it
// that takes its owner, group and mode; links are saved through and stay; a
// FIFO or terminal gets the bytes, never a file in its place; what cannot
// take them fails with the system's reason and stays as it was.
TEST_F(OnDisk, EveryKindOfTargetKeepsItsKindAndGetsTheBytesOrSaysWhyNot) {
    using enum Identity;
    const std::string noEntry = "No such file or directory", noDevice = "No such device or address";
    const std::string denied = "Permission denied", isFolder = "Is a directory";
    const TargetCase rows[] = {
        {"nothing there yet", "", "target", "", Type::regular, "target", New},
        {"regular file", "file target", "target", "", Type::regular, "target", Replaced},
        {"link", "file file; link target file", "target", "", Type::symlink, "file", Replaced},
        {"link to a link in another folder, each read from its own folder",
         "dir sub; file file; link sub/hop ../file; link target sub/hop", "target", "", Type::symlink, "file",
         Replaced},
        {"dangling link", "dir sub; link target sub/new.txt", "target", "", Type::symlink, "sub/new.txt", New},
        {"dangling link into a missing folder", "link target nowhere/new.txt", "target", noEntry, Type::symlink,
         "nowhere/new.txt"},
        {"links to each other", "link target target", "target", "Too many levels of symbolic links", Type::symlink, ""},
        {"file with a second hard link", "file file; hard target file", "target", "", Type::regular, "file", SameFile},
        {"file behind a descriptor link in /proc", "file file; fd file", "", "", Type::symlink, "file", SameFile},
        {"pipe behind a descriptor link in /proc", "pipe", "", "", Type::symlink, READER},
        {"FIFO without a reader", "fifo target", "target", noDevice, Type::fifo, ""},
        {"FIFO with a reader", "fifo target; reader target", "target", "", Type::fifo, READER},
        {"terminal", "pty", "", "", Type::character, READER},
        {"socket", "socket target", "target", noDevice, Type::socket, ""},
        {"folder", "dir target", "target", isFolder, Type::directory, ""},
        {"path ending in a slash", "", "target/", isFolder, Type::not_found, ""},
        {"file in a missing folder", "", "nowhere/target", noEntry, Type::not_found, "nowhere/target"},
        {"empty path", "", "", noEntry, Type::not_found, ""},
        {"read-only file", "file target 444; own target nobody", "target", denied, Type::regular, "target", Untouched,
         true},
        {"writable file in a folder the user cannot write",
         "dir locked 777; file locked/target 644; own locked/target nobody; chmod locked 555", "locked/target", "",
         Type::regular, "locked/target", SameFile, true},
        {"new file in a folder the user cannot write", "dir locked 555", "locked/target", denied, Type::not_found,
         "locked/target", Untouched, true},
        {"own link in a sticky shared folder",
         "file mine; own mine nobody; dir shared 1777; link shared/target ../mine; own shared/target nobody",
         "shared/target", "", Type::symlink, "mine", Replaced, true},
    };
    for (const TargetCase& row : rows) {
        Check(row);
        Clear();
    }
}

// Targets that need a second user or a device node: root saving over a
// user's file leaves it the user's; in a sticky shared folder, a link another
// user planted is refused (a link of the folder's owner is followed), and so
// is a file or FIFO another user made there, as the kernel's rules for such
// folders refuse them, whatever their settings; a device node stays one.
TEST_F(OnDisk, OwnersPlantedLinksAndDeviceNodesNeedRoot) {
    if (!Root()) GTEST_SKIP() << "needs root: files of other users and device nodes";
    using enum Identity;
    const std::string planted =
        "file victim 644; own victim nobody; dir shared 1777; link shared/cfg.txt ../victim; own shared/cfg.txt ";
    const TargetCase rows[] = {
        {"a user's file saved by root", "file target; own target nobody", "target", "", Type::regular, "target",
         Replaced},
        {"link planted by another user in a sticky shared folder", planted + "planter", "shared/cfg.txt",
         "Permission denied", Type::symlink, "victim", Untouched, true},
        {"link of the sticky folder's owner", planted + "root", "shared/cfg.txt", "", Type::symlink, "victim", Replaced,
         true},
        {"another user's writable file in a sticky shared folder",
         "dir shared 1777; file shared/cfg.txt 666; own shared/cfg.txt planter", "shared/cfg.txt", "Permission denied",
         Type::regular, "shared/cfg.txt", Untouched, true},
        {"another user's FIFO in a sticky shared folder",
         "dir shared 1777; fifo shared/fifo 666; own shared/fifo planter; reader shared/fifo", "shared/fifo",
         "Permission denied", Type::fifo, READER, Untouched, true},
        {"device node, as /dev/null", "node target 3", "target", "", Type::character, ""},
        {"device node that takes nothing, as /dev/full", "node target 7", "target", "No space left on device",
         Type::character, ""},
    };
    for (const TargetCase& row : rows) {
        Check(row);
        Clear();
    }
}

// A write error (a file size limit fails the write as a full disk would, even
// for root) fails the save. A replaced file stays as it was and no temporary
// is left; a file written in place reports the failure.
TEST_F(OnDisk, WriteErrorsFailTheSave) {
    Build("file set.txt; link link.txt set.txt; file shared.txt; hard second.txt shared.txt");
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
    EXPECT_EQ(ReadBytes(Path("set.txt")), OLD);
    EXPECT_EQ(Entries(), 4);
}

// A 10000-byte file loads; one byte more, a missing file, a directory, a
// FIFO (which must not wait for a writer), an empty path and an empty file
// are refused and change nothing.
TEST_F(OnDisk, ConfigurationLoadLimitsAndRefusals) {
    std::string text = FormatConfiguration(SAVED);
    text.resize(CONFIG_FILE_MAX, ' ');
    WriteBytes(Path("limit.txt"), text);
    WriteBytes(Path("over.txt"), text + " ");
    WriteBytes(Path("empty.txt"), "");
    Build("dir sub; fifo fifo");
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

// A set loads back from its file; a text with a line break is refused (which
// texts: config_text_test.cpp) and the old file stays; a failed save names
// the system's reason, as the tools print it.
TEST_F(OnDisk, ConfigurationSavesRefusalsAndFailures) {
    WriteBytes(Path("set.txt"), "old");
    const ModuleParamSet lineBreak = MakeParams(1, 2, 3, "a\r\n[G3]\r\nX", "realpassphrase", {});
    const ConfigSaveResult refused = SaveConfigurationFile(Path("set.txt"), lineBreak);
    EXPECT_EQ(refused.outcome, SaveOutcome::Refused);
    EXPECT_STREQ(refused.message, SSID_LINE_BREAK_MESSAGE);
    EXPECT_EQ(ReadBytes(Path("set.txt")), "old");

    const ConfigSaveResult saved = SaveConfigurationFile(Path("set.txt"), SAVED);
    EXPECT_EQ(std::tuple(saved.outcome, saved.message), std::tuple(SaveOutcome::Saved, nullptr));  // no text to show
    ModuleParamSet loaded = Sentinel();
    EXPECT_TRUE(LoadConfigurationFile(Path("set.txt"), loaded).ok);
    EXPECT_EQ(Dump(loaded), Dump(SAVED));

    const ConfigSaveResult failed = SaveConfigurationFile(Path("no/set.txt"), SAVED);
    EXPECT_EQ(std::tuple(failed.outcome, std::string(failed.message), failed.reason),
              std::tuple(SaveOutcome::Failed, std::string(SAVE_FAILURE_MESSAGE), "No such file or directory"));
    EXPECT_EQ(FileMessage("no/set.txt", failed.message, failed.reason),
              "no/set.txt: Save database file failure (No such file or directory)");
    EXPECT_EQ(FileMessage("in.txt", "[G2] format error"), "in.txt: [G2] format error");
    EXPECT_EQ(Entries(), 1);
}

}  // namespace lq3860
