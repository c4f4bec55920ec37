// SPDX-License-Identifier: MIT
#pragma once
// Owns one POSIX file descriptor and closes it on every way out of a scope;
// the counterpart of OwnedHandle. Negative values count as none.
#include <unistd.h>

#include <utility>

namespace lq3860 {

class OwnedDescriptor {
public:
    explicit OwnedDescriptor(int fd = -1) : fd_(fd) {}
    ~OwnedDescriptor() { Close(); }
    OwnedDescriptor(OwnedDescriptor&& other) noexcept : fd_(other.Release()) {}
    OwnedDescriptor& operator=(OwnedDescriptor&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes the descriptor held, if any, and holds `fd` instead.
    void Reset(int fd = -1) {
        Close();
        fd_ = fd;
    }
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(fd_, -1); }
    // Closes now and tells whether the close succeeded (it can carry a
    // delayed write error; true when none was held).
    bool Close() { return !Valid() || ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

}  // namespace lq3860
