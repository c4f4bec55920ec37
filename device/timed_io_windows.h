// SPDX-License-Identifier: MIT
#pragma once
// One overlapped read or write with a time limit, for handles opened with
// FILE_FLAG_OVERLAPPED (HID interfaces; the tests use a named pipe).
#include <windows.h>

namespace lq3860 {

enum class TransferDirection { Read, Write };

// Starts ReadFile or WriteFile on `file` with `buffer` and waits for it on
// `event` (a manual-reset event, reset here) at most timeoutMs, without limit
// when negative. On time-out the transfer is cancelled and its end awaited:
// after the return the system touches neither the buffer nor anything else
// of the call. A transfer that completed while it was being cancelled counts.
// Returns the bytes moved, 0 when the time ran out, -1 on failure.
int TimedTransfer(HANDLE file, HANDLE event, TransferDirection direction, void* buffer, DWORD size, int timeoutMs);

}  // namespace lq3860
