// SPDX-License-Identifier: MIT
#pragma once
// The exit statuses of lq3860ctl and the error codes of its JSON failure
// objects; scripts rely on both. --help prints the statuses from this table;
// the man page and the README show the same table, held to it by a test.
#include <cstddef>
#include <iterator>

namespace lq3860 {

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FAILED = 1;  // any failure without a status of its own
inline constexpr int EXIT_USAGE = 2;
inline constexpr int EXIT_FILE = 3;
inline constexpr int EXIT_MAC_NOT_FOUND = 4;
inline constexpr int EXIT_NO_MODULE = 5;
inline constexpr int EXIT_IN_USE = 6;
inline constexpr int EXIT_NO_REPLY = 7;
inline constexpr int EXIT_BAD_REPLY = 8;
inline constexpr int EXIT_STRICT = 9;
inline constexpr int EXIT_NOT_VERIFIED = 10;

struct ExitStatusMeaning {
    int status;
    const char* meaning;
};

inline constexpr ExitStatusMeaning EXIT_STATUSES[] = {
    {EXIT_OK, "success"},
    {EXIT_FAILED,
     "any other failure: the link lost in the middle of an exchange, a write to the module that failed, "
     "output that cannot be written"},
    {EXIT_USAGE, "wrong usage"},
    {EXIT_FILE,
     "a file that cannot be read or saved, or whose contents are refused (format, key check, an SSID or key "
     "that a configuration file cannot hold)"},
    {EXIT_MAC_NOT_FOUND, "MAC address not found, the echo probe failed or no route to the address"},
    {EXIT_NO_MODULE, "no module: none attached, or none with that slot, path or name (or several with that name)"},
    {EXIT_IN_USE, "the module is in use by another program"},
    {EXIT_NO_REPLY, "no reply from the module within the time limit (2 seconds)"},
    {EXIT_BAD_REPLY, "an NG or malformed reply from the module"},
    {EXIT_STRICT, "--strict refused a file that the field rules would change; nothing was sent"},
    {EXIT_NOT_VERIFIED, "write --verify read back other parameters than were written"},
};

// Why a module's command failed.
enum class ToolError {
    NoModule,
    InUse,
    OpenFailed,
    WriteFailed,
    LinkLost,
    NoReply,
    NgReply,
    MalformedReply,
    File,
    NotVerified
};

struct ToolErrorCode {
    ToolError error;
    const char* code;  // the "error" of a failure object
    int status;
    const char* meaning;
};

inline constexpr ToolErrorCode ERROR_CODES[] = {
    {ToolError::NoModule, "no-module", EXIT_NO_MODULE, "no module with that slot, path or name"},
    {ToolError::InUse, "in-use", EXIT_IN_USE, "another program holds the module"},
    {ToolError::OpenFailed, "open-failed", EXIT_FAILED, "the listed module could not be opened"},
    {ToolError::WriteFailed, "write-failed", EXIT_FAILED, "a report could not be written to the module"},
    {ToolError::LinkLost, "link-lost", EXIT_FAILED, "the link was lost: the module gone, a read that failed"},
    {ToolError::NoReply, "timeout", EXIT_NO_REPLY, "no reply within the time limit"},
    {ToolError::NgReply, "ng-reply", EXIT_BAD_REPLY, "the module answered without accepting the command (NG)"},
    {ToolError::MalformedReply, "malformed-reply", EXIT_BAD_REPLY,
     "the reply ended before the bytes that carry the answer"},
    {ToolError::File, "file", EXIT_FILE,
     "a file that cannot be saved, or an SSID or key that a configuration file cannot hold"},
    {ToolError::NotVerified, "not-verified", EXIT_NOT_VERIFIED,
     "write --verify read back other values than were written (the fields are named)"},
};

constexpr bool ListedInOrder() {
    for (std::size_t i = 0; i < std::size(ERROR_CODES); ++i) {
        if (static_cast<std::size_t>(ERROR_CODES[i].error) != i) return false;
    }
    return true;
}
static_assert(ListedInOrder(), "ERROR_CODES holds every ToolError at its own position");

constexpr const ToolErrorCode& ErrorCodeOf(ToolError error) {
    return ERROR_CODES[static_cast<std::size_t>(error)];
}

}  // namespace lq3860
