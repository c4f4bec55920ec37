// Reading and writing configuration files on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "params/config_file.h"

namespace lq3860 {

namespace {

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now and reports whether the close succeeded (it can carry a
    // delayed write error).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

// A symbolic link is saved through: the file it points to is replaced and
// the link stays.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    }
    return path;
}

// An existing file keeps its permissions; a new one gets what a plainly
// created file would (0666 less the umask).
mode_t TargetMode(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void SyncDirectory(const std::string& directory) {
    FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) ::fsync(dir.Get());  // best effort: the rename itself has happened
}

// Replacing a file by rename needs no write permission on the file itself;
// a file this user may not write must stay as it is, as it would if it were
// opened for writing.
bool MayReplace(const std::string& target) {
    return ::access(target.c_str(), F_OK) != 0 || ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    if (path.empty()) return false;
    const std::string target = ResolveTarget(path);
    if (!MayReplace(target)) return false;
    const std::string directory = DirectoryOf(target);
    std::string tempPath = directory + "/.lq3860-save-XXXXXX";
    std::vector<char> pattern(tempPath.begin(), tempPath.end());
    pattern.push_back('\0');

    FileDescriptor temp(::mkstemp(pattern.data()));
    if (temp.Get() < 0) return false;
    tempPath = pattern.data();

    const bool written = ::fchmod(temp.Get(), TargetMode(target)) == 0 &&
                         WriteAll(temp.Get(), text.data(), text.size()) && ::fsync(temp.Get()) == 0 && temp.Close() &&
                         ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!written) {
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncDirectory(directory);
    return true;
}

ConfigLoadResult LoadConfigurationFile(const std::string& path, ModuleParamSet& params) {
    const ConfigLoadResult failure{false, OPEN_FAILURE_MESSAGE};
    // Non-blocking open: a FIFO or device is refused below instead of
    // waiting for a writer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return failure;
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > CONFIG_FILE_MAX) {
        return failure;
    }

    // One read of the file's length; fewer bytes than that is a failure.
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t total = 0;
    while (total < text.size()) {
        const ssize_t got = ::read(file.Get(), text.data() + total, text.size() - total);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return failure;
        total += static_cast<std::size_t>(got);
    }
    return ParseConfiguration(text, params);
}

}  // namespace lq3860
