// SPDX-License-Identifier: MIT
// The file storage on Linux (POSIX calls plus Linux's O_PATH descriptors and
// /proc). The rules are those of file_storage.h.
//
// How a save finds what it writes: the path is walked one name at a time,
// every step relative to a descriptor of the folder reached so far and
// without following links, so nothing can redirect a step between its check
// and its use. A link met on the way, and the file or FIFO found at the end,
// are checked against the kernel's rules for shared folders, whatever the
// system's settings (the kernel applies them only to links it follows and
// files it creates itself), and a link's text is walked in its place;
// a dangling link therefore ends at a name that does not exist yet, in the
// folder the link points into. Links inside /proc are the exception: they
// can lead to objects without a path (a pipe behind /dev/stdout), so the
// kernel follows them. The final name is then opened for writing without
// following it: the kernel checks this user's right to write it, a FIFO
// without a reader fails at once, and a name that became a link since the
// walk fails instead of being followed.
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <deque>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "params/file_storage.h"
#include "types/interrupt_hold.h"
#include "types/owned_descriptor_posix.h"

namespace lq3860 {

namespace {

constexpr int MAX_LINKS = 40;  // links followed in one path, the kernel's own limit
constexpr int TEMP_NAME_TRIES = 100;
constexpr int SAVE_TRIES = 10;  // walks started over when the folder changed under a save
constexpr const char* TEMP_PREFIX = ".lq3860-save-";

FileStatus Success() {
    return {true, {}};
}
FileStatus Failure(int error) {
    return {false, std::strerror(error)};
}
FileStatus Failure(const char* reason) {
    return {false, reason};
}

// Where a path ends: the open folder that holds the final name and the name.
// Past a link inside /proc there is no folder to work in; `stream` is then
// the final object itself, written at its own position like any stream.
struct Destination {
    OwnedDescriptor folder;
    std::string name;
    bool exists = false;
    OwnedDescriptor stream;
};

bool SameObject(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The names of a path; empty names (from "//" or a trailing "/") are left out.
std::deque<std::string> NamesOf(std::string_view path) {
    std::deque<std::string> names;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        if (!name.empty()) names.emplace_back(name);
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return names;
}

// The kernel's rules for shared folders (fs.protected_symlinks=1,
// fs.protected_regular=1, fs.protected_fifos=1): in a sticky, world-writable
// folder such as /tmp, a link is followed, and a file or FIFO opened by a
// save that would otherwise create it, only when it belongs to this user or
// to the folder's owner. So a link another user planted there cannot send
// this user's save to a file of this user's, and a file another user made
// there in advance cannot catch what this user saves.
bool SharedFolderAllows(const struct stat& folder, const struct stat& entry) {
    if (entry.st_uid == ::geteuid()) return true;
    if ((folder.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) return true;
    return folder.st_uid == entry.st_uid;
}

bool OnProcFileSystem(int fd) {
    struct statfs info {};
    return ::fstatfs(fd, &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

// The text of the link opened (O_PATH | O_NOFOLLOW) as `link`; 0 or errno.
int ReadLink(int link, std::string& text) {
    std::string buffer(256, '\0');
    while (true) {
        const ssize_t length = ::readlinkat(link, "", buffer.data(), buffer.size());
        if (length < 0) return errno;
        if (static_cast<std::size_t>(length) < buffer.size()) {
            text.assign(buffer.data(), static_cast<std::size_t>(length));
            return 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

constexpr int WRITE_FLAGS = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Whether `folder` is this process's own descriptor folder (/proc/self/fd,
// as /dev/stdout and /dev/fd/N lead there).
bool IsOwnDescriptorFolder(int folder) {
    struct stat here {};
    if (::fstat(folder, &here) != 0) return false;
    for (const char* own : {"/proc/self/fd", "/proc/thread-self/fd"}) {
        OwnedDescriptor candidate(::open(own, O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat info {};
        if (candidate.Valid() && ::fstat(candidate.Get(), &info) == 0 && SameObject(info, here)) return true;
    }
    return false;
}

// The object a link in /proc stands for, as a stream. One of this process's
// own descriptors is used itself, so the bytes go where its next write would
// go (its position, O_APPEND); anything else is opened to append, so a file
// behind it is never rewound or cut.
OwnedDescriptor OpenProcStream(int folder, const std::string& name) {
    if (IsOwnDescriptorFolder(folder) && !name.empty() && name.find_first_not_of("0123456789") == name.npos) {
        int own = -1;
        std::from_chars(name.data(), name.data() + name.size(), own);
        const int flags = ::fcntl(own, F_GETFL);
        if (flags >= 0 && (flags & O_ACCMODE) != O_RDONLY) return OwnedDescriptor(::fcntl(own, F_DUPFD_CLOEXEC, 0));
    }
    return OwnedDescriptor(::openat(folder, name.c_str(), WRITE_FLAGS | O_APPEND));
}

// Walks `path` as described at the top of this file; 0 or errno.
int Resolve(const std::string& path, Destination& destination) {
    if (path.empty()) return ENOENT;
    if (path.back() == '/') return EISDIR;  // only a folder can be named so
    OwnedDescriptor folder(::open(path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.Valid()) return errno;
    std::deque<std::string> names = NamesOf(path);
    int links = 0;
    while (!names.empty()) {
        const std::string name = std::move(names.front());
        names.pop_front();
        const bool last = names.empty();
        OwnedDescriptor entry(::openat(folder.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!entry.Valid()) {
            if (errno != ENOENT || !last) return errno;
            destination.folder = std::move(folder);
            destination.name = name;
            destination.exists = false;
            return 0;
        }
        struct stat info {};
        if (::fstat(entry.Get(), &info) != 0) return errno;
        struct stat folderInfo {};
        if (::fstat(folder.Get(), &folderInfo) != 0) return errno;
        if (S_ISLNK(info.st_mode)) {
            if (!SharedFolderAllows(folderInfo, info)) return EACCES;  // what the kernel answers
            if (++links > MAX_LINKS) return ELOOP;
            if (OnProcFileSystem(folder.Get())) {
                // The kernel follows it (with its own rules) to whatever it stands for.
                if (last) {
                    destination.stream = OpenProcStream(folder.Get(), name);
                    if (!destination.stream.Valid()) return errno;
                    destination.exists = true;
                    return 0;
                }
                folder = OwnedDescriptor(::openat(folder.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (!folder.Valid()) return errno;
                continue;
            }
            std::string target;
            if (const int error = ReadLink(entry.Get(), target); error != 0) return error;
            if (target.empty()) return ENOENT;
            if (target.back() == '/') return EISDIR;
            std::deque<std::string> more = NamesOf(target);
            if (more.empty()) return EISDIR;  // the link names the root folder
            names.insert(names.begin(), more.begin(), more.end());
            if (target.front() == '/') {
                folder = OwnedDescriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (!folder.Valid()) return errno;
            }
            continue;
        }
        if (last) {
            if ((S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode)) && !SharedFolderAllows(folderInfo, info)) {
                return EACCES;
            }
            destination.folder = std::move(folder);
            destination.name = name;
            destination.exists = true;
            return 0;
        }
        if (!S_ISDIR(info.st_mode)) return ENOTDIR;
        folder = std::move(entry);
    }
    return EISDIR;  // nothing but "." and ".." is left: a folder
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Into the file itself. The new bytes are written over the old ones first
// and the file is cut to their length after: on a full disk a text no longer
// than the old one then still fits, where emptying the file first would
// lose everything. The file is locked for the write and the cut, so two
// saves at once leave one of them whole, never a mix.
FileStatus WriteInPlace(int fd, std::string_view bytes) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return Failure(errno);
    }
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return Failure(written == 0 ? EIO : errno);
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    if (::ftruncate(fd, offset) != 0 || ::fsync(fd) != 0) return Failure(errno);
    ::flock(fd, LOCK_UN);
    return Success();
}

// A stream takes the bytes at its own position; nothing is rewound, cut or
// flushed. A full FIFO fails (EAGAIN) instead of waiting for its reader.
FileStatus WriteStream(int fd, std::string_view bytes) {
    if (!WriteAll(fd, bytes)) return Failure(errno);
    return Success();
}

// The new file that takes the target's place: unnamed (O_TMPFILE) until it
// is linked into place, so an interrupted or failed save leaves nothing
// behind; where the file system has no unnamed files, a hidden file with a
// name no one else uses.
struct NewFile {
    OwnedDescriptor file;
    std::string tempName;  // empty while the file has no name
};

std::string RandomTempName() {
    static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof LETTERS - 2);
    std::string name = TEMP_PREFIX;
    for (int i = 0; i < 8; ++i) name += LETTERS[pick(random)];
    return name;
}

// 0 or errno.
int CreateTemporary(int folder, mode_t mode, NewFile& made) {
    made.tempName.clear();
    made.file = OwnedDescriptor(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    if (made.file.Valid()) return 0;
    // Refused by the file system (EOPNOTSUPP) or unknown to the kernel (EISDIR, EINVAL).
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
    for (int attempt = 0; attempt < TEMP_NAME_TRIES; ++attempt) {
        made.tempName = RandomTempName();
        made.file = OwnedDescriptor(
            ::openat(folder, made.tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (made.file.Valid()) return 0;
        if (errno != EEXIST) return errno;
    }
    made.tempName.clear();
    return EEXIST;
}

// Links the unnamed file in as `name`; false (errno: EEXIST) where the name is taken.
bool LinkUnnamed(int file, int folder, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(file);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Gives the unnamed file a hidden name no one else uses, for a replacement
// by rename; 0 or errno.
int NameTemporary(int folder, NewFile& made) {
    for (int attempt = 0; attempt < TEMP_NAME_TRIES; ++attempt) {
        const std::string name = RandomTempName();
        if (LinkUnnamed(made.file.Get(), folder, name)) {
            made.tempName = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Removes the new file's name, if it has one.
void RemoveTemporary(int folder, NewFile& made) {
    if (!made.tempName.empty()) ::unlinkat(folder, made.tempName.c_str(), 0);
    made.tempName.clear();
}

// The names of the extended attributes of `fd` (the ACL among them, as
// system.posix_acl_access); false where they cannot be listed.
bool AttributeNames(int fd, std::vector<std::string>& names) {
    names.clear();
    std::string list;
    while (true) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) return errno == ENOTSUP;  // a file system without attributes: none
        list.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got >= 0) {
            list.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) return false;  // ERANGE: the list grew meanwhile
    }
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = list.find('\0', at);
        names.push_back(list.substr(at, end - at));
        at = end == list.npos ? list.size() : end + 1;
    }
    return true;
}

// Makes the extended attributes of `file` those of `target`: an ACL or
// attribute the new file inherited from its folder goes, every one of the
// target's is copied. False where one cannot be.
bool TakeAttributes(int file, int target) {
    std::vector<std::string> wanted, inherited;
    if (!AttributeNames(target, wanted) || !AttributeNames(file, inherited)) return false;
    for (const std::string& name : inherited) {
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() && ::fremovexattr(file, name.c_str()) != 0) {
            return false;
        }
    }
    std::string value;
    for (const std::string& name : wanted) {
        const ssize_t size = ::fgetxattr(target, name.c_str(), nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(target, name.c_str(), value.data(), value.size());
        if (got != size || ::fsetxattr(file, name.c_str(), value.data(), value.size(), 0) != 0) return false;
    }
    return true;
}

// Gives the new file the owner, group, ACL, extended attributes and mode of
// the one it replaces; false where the process may not (a file of another
// user, a group it is not in, an attribute it may not set).
bool TakeIdentity(int file, int target, const struct stat& info) {
    struct stat own {};
    if (::fstat(file, &own) != 0) return false;
    if ((own.st_uid != info.st_uid || own.st_gid != info.st_gid) && ::fchown(file, info.st_uid, info.st_gid) != 0) {
        return false;
    }
    // After the owner: a change of owner clears the set-user-ID and
    // set-group-ID bits. The mode's group bits are the ACL's mask, so the
    // mode goes last and agrees with the copied ACL.
    return TakeAttributes(file, target) && ::fchmod(file, info.st_mode & 07777) == 0;
}

// Best effort: the rename has happened; this makes it survive a power loss.
void SyncFolder(int folder) {
    OwnedDescriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (readable.Valid()) ::fsync(readable.Get());
}

enum class Placement { Failed, Placed, Swapped };

// Gives the new file's temporary name `temp` the place of `name`: swapped with the replaced entry (which then
// bears the temporary name), or taken without replacing. Where the file
// system can do neither, a new name is made a hard link and a replacement is
// renamed over the name after a last look. Failed: errno says why.
Placement PlaceName(int folder, const char* temp, const char* name, const struct stat* replaced) {
    if (::renameat2(folder, temp, folder, name, replaced ? RENAME_EXCHANGE : RENAME_NOREPLACE) == 0) {
        return replaced ? Placement::Swapped : Placement::Placed;
    }
    if (errno != EINVAL) return Placement::Failed;
    if (!replaced) {
        return ::linkat(folder, temp, folder, name, 0) == 0 && ::unlinkat(folder, temp, 0) == 0 ? Placement::Placed
                                                                                                : Placement::Failed;
    }
    struct stat now {};
    if (::fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) != 0) return Placement::Failed;
    if (!SameObject(now, *replaced)) {
        errno = EEXIST;
        return Placement::Failed;
    }
    return ::renameat(folder, temp, folder, name) == 0 ? Placement::Placed : Placement::Failed;
}

// The new file, written and flushed, takes `name`: a free name without
// replacing anything that appeared there, or the place of `replaced`. Empty
// when something else stands at the name by now (the save starts over);
// on a failure the new file is removed and what stood at `name` stays.
std::optional<FileStatus> Commit(int folder, NewFile& made, const std::string& name, std::string_view bytes,
                                 const struct stat* replaced) {
    if (!WriteAll(made.file.Get(), bytes) || ::fsync(made.file.Get()) != 0) {
        const int error = errno;
        RemoveTemporary(folder, made);
        return Failure(error);
    }
    if (made.tempName.empty() && !replaced) {
        // An unnamed file takes a free name by itself, never replacing one.
        if (!LinkUnnamed(made.file.Get(), folder, name)) {
            const int error = errno;
            if (error == EEXIST || error == ENOENT) return std::nullopt;
            return Failure(error);
        }
        SyncFolder(folder);
        return Success();
    }
    if (made.tempName.empty()) {
        if (const int error = NameTemporary(folder, made); error != 0) return Failure(error);
    }
    if (!made.file.Close()) {
        const int error = errno;
        RemoveTemporary(folder, made);
        return Failure(error);
    }
    const char* temp = made.tempName.c_str();
    const Placement placement = PlaceName(folder, temp, name.c_str(), replaced);
    if (placement == Placement::Failed) {
        const int error = errno;
        RemoveTemporary(folder, made);
        if (error == EEXIST || error == ENOENT) return std::nullopt;  // the name was taken, or emptied
        return Failure(error);
    }
    if (placement == Placement::Swapped) {
        // The old entry now bears the temporary name: the examined file goes;
        // anything else gets its name back.
        struct stat out {};
        if (::fstatat(folder, temp, &out, AT_SYMLINK_NOFOLLOW) != 0 || !SameObject(out, *replaced)) {
            if (::renameat2(folder, temp, folder, name.c_str(), RENAME_EXCHANGE) == 0) RemoveTemporary(folder, made);
            return std::nullopt;
        }
        RemoveTemporary(folder, made);
    }
    made.tempName.clear();  // the name is the target's now
    SyncFolder(folder);
    return Success();
}

std::optional<FileStatus> CreateNewFile(const Destination& destination, std::string_view bytes) {
    // From the new file to its place, no interrupt leaves a file behind.
    const InterruptHold hold;
    NewFile made;
    // Only its owner may read it: it holds the Wi-Fi key.
    if (const int error = CreateTemporary(destination.folder.Get(), 0600, made); error != 0) return Failure(error);
    return Commit(destination.folder.Get(), made, destination.name, bytes, nullptr);
}

// A regular file is replaced when the replacement can be the same file to
// every reader: one name only, a folder this user may write, and the same
// owner, group, mode, ACL and attributes. Otherwise it is written in place.
std::optional<FileStatus> SaveRegularFile(const Destination& destination, int target, const struct stat& info,
                                          std::string_view bytes) {
    if (!destination.folder.Valid() || info.st_nlink > 1) return WriteInPlace(target, bytes);
    bool inPlace = false;
    std::optional<FileStatus> status;
    {
        // From the new file to its place or its removal, no interrupt leaves a file behind.
        const InterruptHold hold;
        NewFile made;
        const int error = CreateTemporary(destination.folder.Get(), 0600, made);
        if (error == EACCES || error == EPERM) {
            inPlace = true;  // the folder is not writable
        } else if (error != 0) {
            status = Failure(error);
        } else if (!TakeIdentity(made.file.Get(), target, info)) {
            made.file.Close();
            RemoveTemporary(destination.folder.Get(), made);
            inPlace = true;
        } else {
            status = Commit(destination.folder.Get(), made, destination.name, bytes, &info);
        }
    }
    if (inPlace) return WriteInPlace(target, bytes);
    return status;
}

// One walk and one save; empty when the folder changed under it.
std::optional<FileStatus> SaveOnce(const std::string& path, std::string_view bytes) {
    Destination destination;
    if (const int error = Resolve(path, destination); error != 0) return Failure(error);
    OwnedDescriptor target = std::move(destination.stream);
    const bool stream = target.Valid();
    if (!stream) {
        if (!destination.exists) return CreateNewFile(destination, bytes);
        target =
            OwnedDescriptor(::openat(destination.folder.Get(), destination.name.c_str(), WRITE_FLAGS | O_NOFOLLOW));
        if (!target.Valid()) return Failure(errno);
    }
    struct stat info {};
    if (::fstat(target.Get(), &info) != 0) return Failure(errno);
    if (S_ISREG(info.st_mode) && !stream) return SaveRegularFile(destination, target.Get(), info, bytes);
    if (S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode) || S_ISSOCK(info.st_mode)) {
        return WriteStream(target.Get(), bytes);
    }
    // A disk (block device) would lose what it holds.
    return Failure(S_ISBLK(info.st_mode) ? "Is a block device" : "Not a regular file");
}

// Everything a stream holds, up to `maxSize` bytes; more is refused.
FileStatus ReadStream(int fd, std::size_t maxSize, std::string& bytes) {
    std::string text;
    char buffer[4096];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Failure(errno);
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > maxSize) return Failure(EFBIG);
    }
    bytes = std::move(text);
    return Success();
}

bool IsStandardInput(const struct stat& info) {
    struct stat input {};
    return ::fstat(STDIN_FILENO, &input) == 0 && SameObject(input, info);
}

}  // namespace

FileStatus SaveWholeFile(const std::string& path, std::string_view bytes) {
    for (int attempt = 0; attempt < SAVE_TRIES; ++attempt) {
        if (std::optional<FileStatus> status = SaveOnce(path, bytes)) return std::move(*status);
    }
    return Failure(EBUSY);  // the folder kept changing
}

FileStatus LoadWholeFile(const std::string& path, std::size_t maxSize, std::string& bytes) {
    if (path.empty()) return Failure(ENOENT);
    // Look before opening: a device or FIFO is never opened for reading.
    OwnedDescriptor place(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!place.Valid()) return Failure(errno);
    struct stat info {};
    if (::fstat(place.Get(), &info) != 0) return Failure(errno);
    if (S_ISDIR(info.st_mode)) return Failure(EISDIR);
    if (!S_ISREG(info.st_mode)) {
        // /dev/stdin and the like: the process's own input, read as a stream.
        if (IsStandardInput(info)) return ReadStream(STDIN_FILENO, maxSize, bytes);
        return Failure("Not a regular file");
    }
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > maxSize) return Failure(EFBIG);
    // The file looked at, opened through its descriptor: nothing put at the path since is opened instead.
    OwnedDescriptor file(
        ::open(("/proc/self/fd/" + std::to_string(place.Get())).c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    if (!file.Valid()) return Failure(errno);

    // One read of the file's length; fewer bytes than that is a failure.
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t total = 0;
    while (total < text.size()) {
        const ssize_t got = ::read(file.Get(), text.data() + total, text.size() - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Failure(errno);
        if (got == 0) return Failure("The file became shorter while it was read");
        total += static_cast<std::size_t>(got);
    }
    bytes = std::move(text);
    return Success();
}

FileStatus LoadStandardInput(std::size_t maxSize, std::string& bytes) {
    return ReadStream(STDIN_FILENO, maxSize, bytes);
}

}  // namespace lq3860
