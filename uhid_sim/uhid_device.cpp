// SPDX-License-Identifier: MIT
#include "uhid_sim/uhid_device.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lq3860 {

namespace {

constexpr const char* UHID_PATH = "/dev/uhid";

std::string OpenFailure(int error) {
    std::string text = std::string("cannot open ") + UHID_PATH + ": " + std::strerror(error);
    if (error == ENOENT || error == ENODEV) {
        text += " (load the uhid kernel module: modprobe uhid)";
    } else if (error == EACCES || error == EPERM) {
        text += " (run as root or grant access to /dev/uhid)";
    }
    return text;
}

}  // namespace

UhidDevice::~UhidDevice() {
    Destroy();
}

bool UhidDevice::Create(const uhid_event& createEvent, std::string& error) {
    Destroy();
    fd_.Reset(::open(UHID_PATH, O_RDWR | O_CLOEXEC));
    if (!fd_.Valid()) {
        error = OpenFailure(errno);
        return false;
    }
    if (!WriteEvent(createEvent)) {
        error = std::string("the kernel refused the virtual device: ") + std::strerror(errno);
        Destroy();
        return false;
    }
    return true;
}

bool UhidDevice::ReadEvent(uhid_event& event) {
    event = uhid_event{};
    ssize_t count;
    do {
        count = ::read(fd_.Get(), &event, sizeof event);
    } while (count < 0 && errno == EINTR);
    // Events are at least their type field long; the rest of the union is
    // zero where the kernel sent less.
    return count >= static_cast<ssize_t>(sizeof event.type);
}

bool UhidDevice::WriteEvent(const uhid_event& event) {
    ssize_t count;
    do {
        count = ::write(fd_.Get(), &event, sizeof event);
    } while (count < 0 && errno == EINTR);
    return count == static_cast<ssize_t>(sizeof event);
}

void UhidDevice::Destroy() {
    if (!fd_.Valid()) return;
    uhid_event destroy{};
    destroy.type = UHID_DESTROY;
    WriteEvent(destroy);
    fd_.Close();
}

}  // namespace lq3860
