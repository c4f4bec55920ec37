// Reading and writing configuration files on Windows. Paths arrive as UTF-8
// and go to the wide-character API, so names outside the ANSI code page work.
// Files are opened in binary: the bytes on disk are exactly the text.
#include <windows.h>

#include <cstdint>
#include <string>

#include "params/config_file.h"
#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

constexpr int UNIQUE_NAME_TRIES = 100;
constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Closes now and tells whether the close succeeded.
    bool Close() {
        if (!Valid()) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

std::wstring FullPathOf(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return {};
    full.resize(length);
    return full;
}

// The device namespace: NUL, CON, COM1, LPT1 ... (also with a folder or an
// extension in front of Windows 11) come out of GetFullPathNameW as \\.\NAME,
// named pipes are \\.\pipe\NAME.
bool IsDevicePath(const std::wstring& fullPath) {
    return fullPath.rfind(LR"(\\.\)", 0) == 0;
}

std::wstring FolderOf(const std::wstring& fullPath) {
    const std::size_t slash = fullPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : fullPath.substr(0, slash);
}

// What stands at the save path.
struct SaveTarget {
    enum class Kind { Missing, File, Refused };
    Kind kind = Kind::Refused;
    std::wstring path;  // where the file is written: links resolved
    DWORD links = 1;    // hard links of an existing file
};

std::wstring FinalPathOf(HANDLE file, const std::wstring& fallback) {
    const DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (needed == 0) return fallback;
    std::wstring final(needed, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, final.data(), needed, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= needed) return fallback;
    final.resize(length);
    return final;
}

SaveTarget ExamineSaveTarget(const std::wstring& path) {
    SaveTarget target;
    const std::wstring full = FullPathOf(path);
    if (full.empty() || IsDevicePath(full)) return target;

    // Opened with write access: a file this user may not write (the
    // read-only attribute, or its access list) fails here and is never
    // replaced, just as opening it for writing would fail.
    FileHandle file(CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_DATA, SHARE_ALL, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return target;
        // A link whose target is missing still has a name here; it is left
        // as it is rather than replaced by a file.
        if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) return target;
        target.kind = SaveTarget::Kind::Missing;
        target.path = full;
        return target;
    }
    // Pipes, consoles and other devices reached under another name.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return target;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info)) return target;
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return target;
    }
    target.kind = SaveTarget::Kind::File;
    target.path = FinalPathOf(file.Get(), full);
    target.links = info.nNumberOfLinks;
    return target;
}

bool WriteAll(HANDLE file, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t left = text.size() - done;
        const DWORD chunk = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// A name in `folder` for a file of this save; the caller checks that no
// file has it yet and tries the next attempt when one has.
std::wstring UniqueNameIn(const std::wstring& folder, const wchar_t* kind, unsigned attempt) {
    return folder + L"\\.lq3860-" + kind + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(attempt) + L".tmp";
}

// Creates the temporary file beside the target; INVALID_HANDLE_VALUE when
// the folder takes no new file.
HANDLE CreateTemporaryFile(const std::wstring& folder, std::wstring& name) {
    for (unsigned attempt = 0; attempt < UNIQUE_NAME_TRIES; ++attempt) {
        name = UniqueNameIn(folder, L"save", attempt);
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

std::wstring UnusedBackupName(const std::wstring& folder) {
    for (unsigned attempt = 0; attempt < UNIQUE_NAME_TRIES; ++attempt) {
        std::wstring name = UniqueNameIn(folder, L"backup", attempt);
        if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND) {
            return name;
        }
    }
    return {};
}

// A file with several hard links, or in a folder that takes no new file, is
// written in place: replacing it would cut it off from its other names, or
// cannot be done. Not atomic: a failed write leaves it cut short.
bool WriteInPlace(const std::wstring& target, const std::string& text) {
    FileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) return false;
    return WriteAll(file.Get(), text) && SetEndOfFile(file.Get()) && FlushFileBuffers(file.Get()) && file.Close();
}

// Puts the written temporary file in the place of the existing target.
// ReplaceFileW keeps the target's attributes, access list, owner and
// creation time. With a backup name, every failure leaves the old file under
// its own name (without one, some failures leave no file at all).
bool ReplaceExisting(const std::wstring& target, const std::wstring& temporary) {
    const std::wstring backup = UnusedBackupName(FolderOf(target));
    if (backup.empty()) return false;
    if (ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        DeleteFileW(backup.c_str());
        return true;
    }
    // The old file was moved to the backup name but the new one could not
    // take its place: move the old one back.
    if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileExW(backup.c_str(), target.c_str(), 0);
    return false;
}

// Gives the written temporary file the name of a target that did not exist.
// A file that appeared there meanwhile is not replaced.
bool PlaceNew(const std::wstring& target, const std::wstring& temporary) {
    return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

// Writes the text to a new file beside the target and puts it in the
// target's place. A folder that takes no new file leaves an existing target
// to be written in place.
bool WriteBesideAndReplace(const SaveTarget& target, const std::string& text) {
    std::wstring temporary;
    FileHandle file(CreateTemporaryFile(FolderOf(target.path), temporary));
    if (!file.Valid()) {
        const bool folderRefused = GetLastError() == ERROR_ACCESS_DENIED;
        return folderRefused && target.kind == SaveTarget::Kind::File && WriteInPlace(target.path, text);
    }
    const bool written = WriteAll(file.Get(), text) && FlushFileBuffers(file.Get()) && file.Close();
    const bool placed = written && (target.kind == SaveTarget::Kind::File ? ReplaceExisting(target.path, temporary)
                                                                          : PlaceNew(target.path, temporary));
    if (!placed) {
        file.Close();
        DeleteFileW(temporary.c_str());
    }
    return placed;
}

// The whole of a file on disk of at most `limit` bytes. Devices and pipes
// are never read: they could block or never end.
bool ReadRegularFile(const std::wstring& path, std::size_t limit, std::string& text) {
    const std::wstring full = FullPathOf(path);
    if (full.empty() || IsDevicePath(full)) return false;
    // Others may read the file meanwhile, but not change it.
    FileHandle file(CreateFileW(full.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > limit) {
        return false;
    }
    // The whole file's length; fewer bytes than that is a failure.
    text.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t total = 0;
    while (total < text.size()) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), text.data() + total, static_cast<DWORD>(text.size() - total), &got, nullptr) ||
            got == 0) {
            return false;
        }
        total += got;
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    std::wstring widePath;
    if (path.empty() || !Utf8ToWide(path, widePath)) return false;
    const SaveTarget target = ExamineSaveTarget(widePath);
    if (target.kind == SaveTarget::Kind::Refused) return false;
    if (target.kind == SaveTarget::Kind::File && target.links > 1) return WriteInPlace(target.path, text);
    return WriteBesideAndReplace(target, text);
}

ConfigLoadResult LoadConfigurationFile(const std::string& path, ModuleParamSet& params) {
    std::wstring widePath;
    std::string text;
    if (path.empty() || !Utf8ToWide(path, widePath) || !ReadRegularFile(widePath, CONFIG_FILE_MAX, text)) {
        return {false, OPEN_FAILURE_MESSAGE};
    }
    return ParseConfiguration(text, params);
}

}  // namespace lq3860
