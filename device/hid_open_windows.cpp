// SPDX-License-Identifier: MIT
#include "device/hid_open_windows.h"

namespace lq3860 {

HANDLE OpenForQuery(const std::wstring& path) {
    return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

ClaimResult OpenExclusive(const std::wstring& path, HANDLE& handle) {
    handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                         nullptr);
    if (handle != INVALID_HANDLE_VALUE) return ClaimResult::Claimed;
    return GetLastError() == ERROR_SHARING_VIOLATION ? ClaimResult::InUse : ClaimResult::Failed;
}

}  // namespace lq3860
