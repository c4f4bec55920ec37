// SPDX-License-Identifier: MIT
#include "device/hid_platform_linux.h"

#include <fcntl.h>
#include <hidapi.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cwchar>
#include <mutex>
#include <string>
#include <utility>

#include "device/host_hid_platform.h"
#include "device/unicode_text.h"
#include "types/owned_descriptor_posix.h"

namespace lq3860 {

namespace {

// hidapi's hidraw backend keeps one error text for the whole process, which
// hid_init, hid_enumerate, hid_open_path and a failed device-info lookup
// (hid_get_product_string) free and replace without a lock; those calls are
// made one at a time. Reads, writes and closes touch only their own device,
// so different modules can be driven from different threads at once.
std::mutex& HidapiGlobalLock() {
    static std::mutex lock;
    return lock;
}

class HidapiConnection : public HidConnection {
public:
    HidapiConnection(hid_device* device, std::string path) : device_(device), path_(std::move(path)) {}
    ~HidapiConnection() override {
        hid_close(device_);  // the lock's descriptor closes after it, releasing the claim
    }
    HidapiConnection(const HidapiConnection&) = delete;
    HidapiConnection& operator=(const HidapiConnection&) = delete;

    // An advisory lock on the hidraw node, which every program of this
    // project takes before it talks to a module. hidapi keeps its descriptor
    // to itself, so the lock sits on a descriptor of our own on the same
    // node, held as long as the connection.
    ClaimResult ClaimExclusive() override {
        if (lock_.Valid()) return ClaimResult::Claimed;
        OwnedDescriptor descriptor(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!descriptor.Valid()) return ClaimResult::Failed;
        if (::flock(descriptor.Get(), LOCK_EX | LOCK_NB) != 0) {
            return errno == EWOULDBLOCK ? ClaimResult::InUse : ClaimResult::Failed;
        }
        lock_ = std::move(descriptor);
        return ClaimResult::Claimed;
    }

    int Write(const std::uint8_t* data, std::size_t length) override {
        if (data == nullptr || length == 0) return -1;
        return hid_write(device_, data, length);
    }

    int Read(std::uint8_t* data, std::size_t length, int timeoutMs) override {
        if (data == nullptr || length < 2) return -1;
        // hidraw delivers the payload without the report id; the callers
        // expect the id in byte 0.
        const int received = hid_read_timeout(device_, data + 1, length - 1, timeoutMs);
        if (received < 0) return -1;
        if (received == 0) return 0;
        data[0] = 0;
        return received + 1;
    }

    bool ProductString(std::u16string& name) override {
        wchar_t buffer[HID_PRODUCT_NAME_SIZE / 2] = {};
        constexpr std::size_t units = sizeof buffer / sizeof buffer[0];
        {
            const std::lock_guard<std::mutex> lock(HidapiGlobalLock());
            if (hid_get_product_string(device_, buffer, units) != 0) return false;
        }
        buffer[units - 1] = L'\0';
        name = WideToUtf16(std::wstring_view(buffer, std::wcslen(buffer)));
        return true;
    }

private:
    hid_device* device_;
    std::string path_;
    OwnedDescriptor lock_;
};

bool NodeExistsButIsForbidden(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return false;
    if (access(path.c_str(), R_OK | W_OK) == 0) return false;
    return errno == EACCES || errno == EPERM;
}

}  // namespace

std::unique_ptr<HidPlatform> HostHidPlatform() {
    return std::make_unique<HidapiPlatform>();
}

HidapiPlatform::HidapiPlatform(std::uint16_t vendorId) : vendorId_(vendorId) {
    // Once, before any thread drives a module.
    static const bool initialised = [] {
        const std::lock_guard<std::mutex> lock(HidapiGlobalLock());
        return hid_init() == 0;
    }();
    (void)initialised;
}

std::vector<HidInterfaceInfo> HidapiPlatform::ListInterfaces() {
    std::vector<HidInterfaceInfo> list;
    std::unique_lock<std::mutex> lock(HidapiGlobalLock());
    hid_device_info* all = hid_enumerate(vendorId_, 0);
    lock.unlock();
    for (const hid_device_info* info = all; info != nullptr; info = info->next) {
        if (info->path == nullptr) continue;
        list.push_back({info->path, info->vendor_id, info->usage_page, info->usage});
    }
    hid_free_enumeration(all);
    return list;
}

std::unique_ptr<HidConnection> HidapiPlatform::Open(const std::string& path, bool& accessDenied) {
    accessDenied = false;
    std::unique_lock<std::mutex> lock(HidapiGlobalLock());
    hid_device* device = hid_open_path(path.c_str());
    lock.unlock();
    if (device == nullptr) {
        accessDenied = NodeExistsButIsForbidden(path);
        return nullptr;
    }
    return std::make_unique<HidapiConnection>(device, path);
}

}  // namespace lq3860
