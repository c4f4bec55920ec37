// SPDX-License-Identifier: MIT
#pragma once
// Whole small files on disk: the platform part of the configuration file.
// One implementation per platform (file_storage_linux.cpp,
// file_storage_windows.cpp) follows the same rules, as far as the platform
// has what they speak of:
// - Saving never destroys what stands at the path. A regular file is replaced
//   atomically (a new file beside it, flushed, renamed over it) and keeps its
//   owner, group and mode. Where no replacement can keep the file's identity
//   (several hard links, a folder that cannot be written, an owner or group
//   the process cannot give the new file) it is written in place.
// - A symbolic link, a dangling one too, is saved through: the file it leads
//   to is written and the link stays.
// - In a shared folder (sticky and world-writable, as /tmp), a link, file or
//   FIFO that belongs neither to this user nor to the folder's owner is
//   refused, as the system refuses following or creating it there.
// - A FIFO or character device is written into when it opens without
//   blocking; it is never renamed over or removed. Anything else (a folder,
//   a block device, a socket) is refused.
// - Nothing waits: a FIFO without a reader fails at once.
// Windows has no FIFOs and no shared sticky folders; there devices (NUL,
// CON ...), pipes and files with the read-only attribute are refused, and a
// dangling link is refused and left as it is.
#include <cstddef>
#include <string>
#include <string_view>

namespace lq3860 {

// The outcome of a file operation. On failure `reason` says why in the
// system's words ("No such file or directory"), or in the program's own where
// the system reported no error ("Not a regular file"). Windows errors that
// have a POSIX counterpart are told in the POSIX words, so both platforms
// report the same condition alike.
struct FileStatus {
    bool ok = false;
    std::string reason;
};

// Writes `bytes` to `path` under the rules above. Success means every byte
// went out (and, for a file, reached the disk).
FileStatus SaveWholeFile(const std::string& path, std::string_view bytes);

// Reads the regular file at `path` whole. A file larger than `maxSize`, and
// anything that is not a regular file, is refused without waiting.
FileStatus LoadWholeFile(const std::string& path, std::size_t maxSize, std::string& bytes);

}  // namespace lq3860
