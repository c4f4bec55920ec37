// SPDX-License-Identifier: MIT
#include "device/timed_io_windows.h"

namespace lq3860 {

int TimedTransfer(HANDLE file, HANDLE event, TransferDirection direction, void* buffer, DWORD size, int timeoutMs) {
    if (event == nullptr || buffer == nullptr) return -1;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    ResetEvent(event);
    const BOOL finished = direction == TransferDirection::Read ? ReadFile(file, buffer, size, nullptr, &overlapped)
                                                               : WriteFile(file, buffer, size, nullptr, &overlapped);
    if (!finished) {
        if (GetLastError() != ERROR_IO_PENDING) return -1;
        const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
        const DWORD wait = WaitForSingleObject(event, limit);
        if (wait != WAIT_OBJECT_0) {
            CancelIoEx(file, &overlapped);
            DWORD moved = 0;
            // Waits until the cancelled transfer has ended; the buffer and the
            // OVERLAPPED on this stack frame are free only after that.
            if (GetOverlappedResult(file, &overlapped, &moved, TRUE)) return static_cast<int>(moved);
            return wait == WAIT_TIMEOUT ? 0 : -1;
        }
    }
    DWORD moved = 0;
    if (!GetOverlappedResult(file, &overlapped, &moved, FALSE)) return -1;
    return static_cast<int>(moved);
}

}  // namespace lq3860
