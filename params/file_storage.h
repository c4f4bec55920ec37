// SPDX-License-Identifier: MIT
#pragma once
// Whole small files on disk: the platform part of the configuration file.
// One implementation per platform (file_storage_linux.cpp,
// file_storage_windows.cpp) follows the same rules, as far as the platform
// has what they speak of:
// - Saving never destroys what stands at the path. A regular file is replaced
//   atomically (a new file beside it, flushed, put in its place) and keeps its
//   owner, group, mode, ACL and extended attributes; a mode never widens.
//   Where no replacement can keep the file's identity (several hard links, a
//   folder that cannot be written, an owner, group or attribute the process
//   cannot give the new file) it is written in place, under a lock on the
//   file for the write and the cut, so two saves at once leave one whole.
// - A new file is created readable and writable by its owner only (0600): it
//   holds the Wi-Fi key. A name that was free is taken without replacing
//   whatever appeared there meanwhile; the save then looks again.
// - A symbolic link, a dangling one too, is saved through: the file it leads
//   to is written and the link stays.
// - In a shared folder (sticky and world-writable, as /tmp), a link, file or
//   FIFO that belongs neither to this user nor to the folder's owner is
//   refused, as the system refuses following or creating it there.
// - A stream (a FIFO, a terminal or other character device, a descriptor
//   reached through /dev/stdout or /proc/self/fd/N) is written at its own
//   position, honouring O_APPEND; it is never rewound, cut, renamed over or
//   removed. Anything else (a folder, a block device, a socket file) is
//   refused.
// - Nothing waits: a FIFO without a reader fails at once.
// - Loading looks at the path without opening it and opens only a regular
//   file; the process's own standard input (/dev/stdin) is read as a stream.
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

// Reads standard input to its end; more than `maxSize` bytes are refused.
FileStatus LoadStandardInput(std::size_t maxSize, std::string& bytes);

}  // namespace lq3860
