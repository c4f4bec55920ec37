// SPDX-License-Identifier: MIT
// The file storage on Windows (the wide-character file API). The rules are
// those of file_storage.h, as far as Windows has the things they speak of:
// - Paths arrive as UTF-8 and go to the wide API, so names outside the ANSI
//   code page work; a text that is no UTF-8 names no file. Every call gets
//   the full path in its \\?\ form, which the 260-character limit does not
//   touch (the temporary name beside a target is longer than the target's).
// - A regular file is replaced by a file written beside it and put in its
//   place with ReplaceFileW, which keeps the replaced file's attributes,
//   access list and owner; a name that did not exist is given to the new
//   file with MoveFileExW, which never replaces a file that appeared
//   meanwhile. The file written beside is hidden and marked temporary until
//   it takes its place, and removed on every other way out; a new file
//   admits this user and the system only (a protected access list), not
//   what its folder would pass on.
// - A file with several hard links, in a folder that takes no new file, or
//   one that ReplaceFileW refuses to replace (no right to delete it, a file
//   system without the operation, as some network shares), is written in
//   place.
// - A link to an existing file is saved through (the file it leads to is
//   replaced, the link stays). A dangling link is refused and left as it is:
//   where its target would lie is not known without reading the link's
//   reparse data.
// - Devices (NUL, CON, COM1 ...), pipes and folders are refused, and so is a
//   file this user may not write (the read-only attribute or its access
//   list): it is never replaced. Windows has no FIFOs to write into and no
//   shared sticky folders.
// Failures carry the reason in the words the POSIX storage uses for the same
// condition ("No such file or directory", "Permission denied" ...), so both
// platforms report alike; an error without such a counterpart keeps the
// system's own text.
#include <windows.h>

#include <sddl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "params/file_storage.h"
#include "params/long_path_windows.h"
#include "types/handle_windows.h"
#include "types/interrupt_hold.h"
#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

constexpr int UNIQUE_NAME_TRIES = 100;
constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD MAX_CHUNK = 0x10000000;  // bytes per ReadFile or WriteFile call

constexpr const char* NOT_REGULAR = "Not a regular file";
constexpr const char* IS_FOLDER = "Is a directory";
constexpr const char* NO_SUCH_FILE = "No such file or directory";
constexpr const char* TOO_LARGE = "File too large";

// The system's own text of an error, without its closing period and line end.
std::string SystemText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) text = WideToUtf8(std::wstring_view(buffer, length));
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "Windows error " + std::to_string(error) : text;
}

// The reason of a failed call, in the words of the POSIX storage where the
// condition is the same.
std::string ReasonOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_DRIVE: return NO_SUCH_FILE;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD: return "Permission denied";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_UNABLE_TO_REMOVE_REPLACED: return "Device or resource busy";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return "No space left on device";
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return "File exists";
        case ERROR_FILENAME_EXCED_RANGE: return "File name too long";
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER: return "Invalid argument";
        case ERROR_DIRECTORY: return "Not a directory";
        case ERROR_WRITE_PROTECT: return "Read-only file system";
        case ERROR_CANT_RESOLVE_FILENAME: return "Too many levels of symbolic links";
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return "Cannot allocate memory";
        case ERROR_CRC:
        case ERROR_IO_DEVICE:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT: return "Input/output error";
        default: return SystemText(error);
    }
}

FileStatus Success() {
    return {true, {}};
}
FileStatus Failure(std::string reason) {
    return {false, std::move(reason)};
}
// The failure of the call that just failed.
FileStatus LastFailure() {
    return {false, ReasonOf(GetLastError())};
}

// The path in the wide API's form; false for a text that names no file.
bool WidePath(const std::string& path, std::wstring& wide) {
    return !path.empty() && Utf8ToWide(path, wide);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool EndsInSeparator(const std::wstring& path) {
    return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

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
// extension in front before Windows 11) come out of GetFullPathNameW as
// \\.\NAME, named pipes are \\.\pipe\NAME.
bool IsDevicePath(const std::wstring& fullPath) {
    return fullPath.rfind(LR"(\\.\)", 0) == 0;
}

std::wstring FolderOf(const std::wstring& fullPath) {
    const std::size_t slash = fullPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : fullPath.substr(0, slash);
}

std::wstring FinalPathOf(HANDLE file, const std::wstring& fallback) {
    const DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (needed == 0) return fallback;
    std::wstring final(needed, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, final.data(), needed, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= needed) return fallback;
    final.resize(length);
    return final;
}

// What stands at the save path.
struct SaveTarget {
    bool exists = false;
    std::wstring path;  // where the file is written: links resolved
    DWORD links = 1;    // hard links of an existing file
};

FileStatus ExamineSaveTarget(const std::wstring& path, SaveTarget& target) {
    if (EndsInSeparator(path)) return Failure(IS_FOLDER);  // only a folder can be named so
    const std::wstring fullPath = FullPathOf(path);
    if (fullPath.empty()) return LastFailure();
    if (IsDevicePath(fullPath)) return Failure(NOT_REGULAR);
    const std::wstring full = ExtendedPath(fullPath);

    // Opened with write access: a file this user may not write (the
    // read-only attribute, or its access list) fails here and is never
    // replaced, just as opening it for writing would fail.
    OwnedHandle file(CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_DATA, SHARE_ALL, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        if (IsFolder(full)) return Failure(IS_FOLDER);
        if (error != ERROR_FILE_NOT_FOUND) return Failure(ReasonOf(error));
        // A link whose target is missing still has a name: it stays as it is.
        if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) return Failure(NO_SUCH_FILE);
        target.exists = false;
        target.path = full;
        return Success();
    }
    // Pipes, consoles and other devices reached under another name.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return Failure(NOT_REGULAR);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info)) return LastFailure();
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Failure(IS_FOLDER);
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) return Failure(NOT_REGULAR);
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) return Failure("Permission denied");
    target.exists = true;
    target.path = FinalPathOf(file.Get(), full);
    target.links = info.nNumberOfLinks;
    return Success();
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > MAX_CHUNK ? MAX_CHUNK : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// A name in `folder` for a file of this save; the caller checks that no
// file has it yet and tries the next attempt when one has.
std::wstring UniqueNameIn(const std::wstring& folder, const wchar_t* kind, unsigned attempt) {
    return folder + L"\\.lq3860-" + kind + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(attempt) + L".tmp";
}

// A security descriptor that lets only this user and the system at a new
// file (it holds the Wi-Fi key), whatever the folder would pass on to it.
class OwnerOnlyAccess {
public:
    OwnerOnlyAccess() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        auto user = std::make_unique<std::uint8_t[]>(size);
        wchar_t* sid = nullptr;
        if (GetTokenInformation(token, TokenUser, user.get(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid, &sid)) {
            // Protected (P): nothing inherited; full access (FA) for the user and SYSTEM (SY).
            const std::wstring text = std::wstring(L"D:P(A;;FA;;;") + sid + L")(A;;FA;;;SY)";
            ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1, &descriptor_, nullptr);
            LocalFree(sid);
        }
        CloseHandle(token);
    }
    ~OwnerOnlyAccess() { LocalFree(descriptor_); }
    OwnerOnlyAccess(const OwnerOnlyAccess&) = delete;
    OwnerOnlyAccess& operator=(const OwnerOnlyAccess&) = delete;

    // Null when the descriptor could not be made: the file is not created then.
    SECURITY_ATTRIBUTES* Attributes() {
        attributes_ = {sizeof attributes_, descriptor_, FALSE};
        return descriptor_ != nullptr ? &attributes_ : nullptr;
    }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// Creates the temporary file beside the target, hidden and marked
// temporary, readable by this user and the system only;
// INVALID_HANDLE_VALUE (and the error set) when the folder takes no new file.
HANDLE CreateTemporaryFile(const std::wstring& folder, std::wstring& name) {
    OwnerOnlyAccess access;
    SECURITY_ATTRIBUTES* attributes = access.Attributes();
    if (attributes == nullptr) return INVALID_HANDLE_VALUE;  // the error of the failed call is set
    for (unsigned attempt = 0; attempt < UNIQUE_NAME_TRIES; ++attempt) {
        name = UniqueNameIn(folder, L"save", attempt);
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, attributes, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

// The attributes a placed file shows: those `before` of the file it
// replaced, or none for a new one, never the temporary file's own.
void ShowPlacedFile(const std::wstring& target, DWORD before) {
    const DWORD kept = before == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_NORMAL : before;
    SetFileAttributesW(target.c_str(), kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept);
}

std::wstring UnusedBackupName(const std::wstring& folder) {
    for (unsigned attempt = 0; attempt < UNIQUE_NAME_TRIES; ++attempt) {
        std::wstring name = UniqueNameIn(folder, L"backup", attempt);
        if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND) {
            return name;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return {};
}

// Into the file itself. The new bytes are written over the old ones first
// and the file is cut to their length after: on a full disk a text no longer
// than the old one then still fits. Not atomic: a failed write leaves the
// file part-written, and the failure is reported.
FileStatus WriteInPlace(const std::wstring& target, std::string_view bytes) {
    OwnedHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) return LastFailure();
    if (!WriteAll(file.Get(), bytes) || !SetEndOfFile(file.Get()) || !FlushFileBuffers(file.Get()) || !file.Close()) {
        return LastFailure();
    }
    return Success();
}

// How putting the written file in the place of an existing one went.
enum class Replacement {
    Done,
    Refused,  // the system does not replace this file; both files keep their names
    Failed,
};

// Errors of ReplaceFileW that say it does not do this replacement at all:
// no right to delete or rename the file, a file system (some network
// shares) without the operation. The replaced file then still has its name.
bool IsRefusal(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION;
}

// Puts the written temporary file in the place of the existing target,
// keeping the old file under a backup name until the new one is there. On
// failure `reason` says why, and where the old file is when it could not be
// given its name back.
Replacement ReplaceExisting(const std::wstring& target, const std::wstring& temporary, std::string& reason) {
    const std::wstring backup = UnusedBackupName(FolderOf(target));
    if (backup.empty()) {
        reason = ReasonOf(GetLastError());
        return Replacement::Failed;
    }
    if (ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        DeleteFileW(backup.c_str());
        return Replacement::Done;
    }
    const DWORD error = GetLastError();
    if (IsRefusal(error)) return Replacement::Refused;
    reason = ReasonOf(error);
    // The old file was moved to the backup name but the new one could not
    // take its place: the old one gets its name back, and where that fails
    // the user learns where it is.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && !MoveFileExW(backup.c_str(), target.c_str(), 0)) {
        reason += "; the previous file is now " + DisplayPath(backup);
    }
    return Replacement::Failed;
}

// Gives the written temporary file the name of a target that did not exist.
// A file that appeared there meanwhile is not replaced.
bool PlaceNew(const std::wstring& target, const std::wstring& temporary) {
    return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

// Writes the bytes to a new file beside the target and puts it in the
// target's place; on any failure the new file is removed and whatever stood
// at the target stays as it was. A folder that takes no new file, and a
// target that the system refuses to replace, leave an existing target to be
// written in place.
FileStatus WriteBesideAndReplace(const SaveTarget& target, std::string_view bytes) {
    Replacement replacement = Replacement::Failed;
    DWORD error = 0;
    std::string reason;
    {
        // From the new file to its place or its removal, no interrupt leaves a file behind.
        const InterruptHold hold;
        std::wstring temporary;
        OwnedHandle file(CreateTemporaryFile(FolderOf(target.path), temporary));
        if (!file.Valid()) {
            error = GetLastError();
            if (error == ERROR_ACCESS_DENIED && target.exists) return WriteInPlace(target.path, bytes);
            return Failure(ReasonOf(error));
        }
        const DWORD before = target.exists ? GetFileAttributesW(target.path.c_str()) : INVALID_FILE_ATTRIBUTES;
        const bool written = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get()) && file.Close();
        if (written && !target.exists && PlaceNew(target.path, temporary)) {
            ShowPlacedFile(target.path, before);
            return Success();
        }
        error = GetLastError();
        replacement = written && target.exists ? ReplaceExisting(target.path, temporary, reason) : Replacement::Failed;
        if (replacement == Replacement::Done) {
            ShowPlacedFile(target.path, before);
            return Success();
        }
        file.Close();
        DeleteFileW(temporary.c_str());
    }
    if (replacement == Replacement::Refused) return WriteInPlace(target.path, bytes);
    return Failure(reason.empty() ? ReasonOf(error) : reason);
}

}  // namespace

FileStatus SaveWholeFile(const std::string& path, std::string_view bytes) {
    std::wstring widePath;
    if (path.empty()) return Failure(NO_SUCH_FILE);
    if (!WidePath(path, widePath)) return Failure("Invalid argument");
    SaveTarget target;
    if (FileStatus examined = ExamineSaveTarget(widePath, target); !examined.ok) return examined;
    if (target.exists && target.links > 1) return WriteInPlace(target.path, bytes);
    return WriteBesideAndReplace(target, bytes);
}

FileStatus LoadWholeFile(const std::string& path, std::size_t maxSize, std::string& bytes) {
    std::wstring widePath;
    if (path.empty()) return Failure(NO_SUCH_FILE);
    if (!WidePath(path, widePath)) return Failure("Invalid argument");
    if (EndsInSeparator(widePath)) return Failure(IS_FOLDER);
    const std::wstring full = FullPathOf(widePath);
    if (full.empty()) return LastFailure();
    // Devices and pipes are never read: they could block or never end.
    if (IsDevicePath(full)) return Failure(NOT_REGULAR);
    const std::wstring extended = ExtendedPath(full);
    // Others may read the file meanwhile, but not change it.
    OwnedHandle file(CreateFileW(extended.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        return Failure(IsFolder(extended) ? IS_FOLDER : ReasonOf(error));
    }
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) return Failure(NOT_REGULAR);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return LastFailure();
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxSize) return Failure(TOO_LARGE);

    // One read of the file's length; fewer bytes than that is a failure.
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t total = 0;
    while (total < text.size()) {
        const std::size_t left = text.size() - total;
        DWORD got = 0;
        if (!ReadFile(file.Get(), text.data() + total, left > MAX_CHUNK ? MAX_CHUNK : static_cast<DWORD>(left), &got,
                      nullptr)) {
            return LastFailure();
        }
        if (got == 0) return Failure("The file became shorter while it was read");
        total += got;
    }
    bytes = std::move(text);
    return Success();
}

FileStatus LoadStandardInput(std::size_t maxSize, std::string& bytes) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr) return Failure("Bad file descriptor");
    std::string text;
    char buffer[4096];
    while (true) {
        DWORD got = 0;
        if (!ReadFile(input, buffer, sizeof buffer, &got, nullptr)) {
            if (GetLastError() == ERROR_BROKEN_PIPE) break;  // the writer closed the pipe: its end
            return LastFailure();
        }
        if (got == 0) break;
        text.append(buffer, got);
        if (text.size() > maxSize) return Failure(TOO_LARGE);
    }
    bytes = std::move(text);
    return Success();
}

}  // namespace lq3860
