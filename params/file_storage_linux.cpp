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
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <random>
#include <utility>

#include "params/file_storage.h"

namespace lq3860 {

namespace {

constexpr int MAX_LINKS = 40;  // links followed in one path, the kernel's own limit
constexpr int TEMP_NAME_TRIES = 100;
constexpr const char* TEMP_PREFIX = ".lq3860-save-";

// Owns a descriptor and closes it when it goes out of scope.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded (it can carry a
    // delayed write error).
    bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    void Reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd_ = -1;
};

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
// Past a link inside /proc there is no folder to work in; `object` is then
// the final object itself, opened for writing.
struct Destination {
    Descriptor folder;
    std::string name;
    bool exists = false;
    Descriptor object;
};

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

// Walks `path` as described at the top of this file; 0 or errno.
int Resolve(const std::string& path, Destination& destination) {
    if (path.empty()) return ENOENT;
    if (path.back() == '/') return EISDIR;  // only a folder can be named so
    Descriptor folder(::open(path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.Valid()) return errno;
    std::deque<std::string> names = NamesOf(path);
    int links = 0;
    while (!names.empty()) {
        const std::string name = std::move(names.front());
        names.pop_front();
        const bool last = names.empty();
        Descriptor entry(::openat(folder.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
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
                    destination.object = Descriptor(::openat(folder.Get(), name.c_str(), WRITE_FLAGS));
                    if (!destination.object.Valid()) return errno;
                    destination.exists = true;
                    return 0;
                }
                folder = Descriptor(::openat(folder.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
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
                folder = Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
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
// lose everything.
FileStatus WriteInPlace(int fd, std::string_view bytes) {
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return Failure(written == 0 ? EIO : errno);
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    if (::ftruncate(fd, offset) != 0 || ::fsync(fd) != 0) return Failure(errno);
    return Success();
}

// A FIFO or device takes the bytes as they are; nothing is cut or flushed.
// A full FIFO fails (EAGAIN) instead of waiting for its reader.
FileStatus WriteStream(int fd, std::string_view bytes) {
    if (!WriteAll(fd, bytes)) return Failure(errno);
    return Success();
}

// A new file beside the target with a name no one else uses; 0 or errno.
int CreateTemporary(int folder, mode_t mode, Descriptor& file, std::string& name) {
    static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof LETTERS - 2);
    for (int attempt = 0; attempt < TEMP_NAME_TRIES; ++attempt) {
        name = TEMP_PREFIX;
        for (int i = 0; i < 8; ++i) name += LETTERS[pick(random)];
        file = Descriptor(::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (file.Valid()) return 0;
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

// Gives the new file the owner, group and mode of the one it replaces; false
// where the process may not (a file of another user, a group it is not in).
bool TakeOwnerAndMode(int file, const struct stat& target) {
    struct stat info {};
    if (::fstat(file, &info) != 0) return false;
    if ((info.st_uid != target.st_uid || info.st_gid != target.st_gid) &&
        ::fchown(file, target.st_uid, target.st_gid) != 0) {
        return false;
    }
    // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
    return ::fchmod(file, target.st_mode & 07777) == 0;
}

// Best effort: the rename has happened; this makes it survive a power loss.
void SyncFolder(int folder) {
    Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (readable.Valid()) ::fsync(readable.Get());
}

// Writes, flushes and renames the new file over `name`; on any failure the
// new file is removed and whatever stood at `name` stays as it was.
FileStatus Commit(int folder, Descriptor& file, const std::string& tempName, const std::string& name,
                  std::string_view bytes) {
    if (WriteAll(file.Get(), bytes) && ::fsync(file.Get()) == 0 && file.Close() &&
        ::renameat(folder, tempName.c_str(), folder, name.c_str()) == 0) {
        SyncFolder(folder);
        return Success();
    }
    const int error = errno;
    ::unlinkat(folder, tempName.c_str(), 0);
    return Failure(error);
}

FileStatus CreateNewFile(const Destination& destination, std::string_view bytes) {
    Descriptor file;
    std::string tempName;
    // The mode a plainly created file gets: 0666 less the umask (and a default ACL).
    if (const int error = CreateTemporary(destination.folder.Get(), 0666, file, tempName); error != 0) {
        return Failure(error);
    }
    return Commit(destination.folder.Get(), file, tempName, destination.name, bytes);
}

// A regular file is replaced when the replacement can be the same file to
// every reader: one name only, a folder this user may write, and the same
// owner, group and mode. Otherwise it is written in place.
FileStatus SaveRegularFile(const Destination& destination, int target, const struct stat& info,
                           std::string_view bytes) {
    if (!destination.folder.Valid() || info.st_nlink > 1) return WriteInPlace(target, bytes);
    Descriptor file;
    std::string tempName;
    const int error = CreateTemporary(destination.folder.Get(), 0600, file, tempName);
    if (error == EACCES || error == EPERM) return WriteInPlace(target, bytes);  // the folder is not writable
    if (error != 0) return Failure(error);
    if (!TakeOwnerAndMode(file.Get(), info)) {
        file.Close();
        ::unlinkat(destination.folder.Get(), tempName.c_str(), 0);
        return WriteInPlace(target, bytes);
    }
    return Commit(destination.folder.Get(), file, tempName, destination.name, bytes);
}

}  // namespace

FileStatus SaveWholeFile(const std::string& path, std::string_view bytes) {
    Destination destination;
    if (const int error = Resolve(path, destination); error != 0) return Failure(error);
    if (!destination.exists) return CreateNewFile(destination, bytes);

    Descriptor target = std::move(destination.object);
    if (!target.Valid()) {
        target = Descriptor(::openat(destination.folder.Get(), destination.name.c_str(), WRITE_FLAGS | O_NOFOLLOW));
        if (!target.Valid()) return Failure(errno);
    }
    struct stat info {};
    if (::fstat(target.Get(), &info) != 0) return Failure(errno);
    if (S_ISREG(info.st_mode)) return SaveRegularFile(destination, target.Get(), info, bytes);
    if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) return WriteStream(target.Get(), bytes);
    // A disk (block device) would lose what it holds.
    return Failure(S_ISBLK(info.st_mode) ? "Is a block device" : "Not a regular file");
}

FileStatus LoadWholeFile(const std::string& path, std::size_t maxSize, std::string& bytes) {
    if (path.empty()) return Failure(ENOENT);
    // Without waiting: a FIFO or device is refused below instead of waiting for a writer.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.Valid()) return Failure(errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) return Failure(errno);
    if (S_ISDIR(info.st_mode)) return Failure(EISDIR);
    if (!S_ISREG(info.st_mode)) return Failure("Not a regular file");
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > maxSize) return Failure(EFBIG);

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

}  // namespace lq3860
