// SPDX-License-Identifier: MIT
#pragma once
// Owns one handle of the Windows API and closes it on every way out of a
// scope. Windows only; null and INVALID_HANDLE_VALUE both count as none.
#include <windows.h>

#include <utility>

namespace lq3860 {

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // Closes the handle held, if any, and holds `handle` instead.
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        Close();
        handle_ = handle;
    }
    // Gives the handle up without closing it.
    HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    // Closes now and tells whether the close succeeded (true when none was held).
    bool Close() {
        if (!Valid()) return true;
        return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0;
    }

private:
    HANDLE handle_;
};

}  // namespace lq3860
