#include "device/hidapi_platform.h"

#include <hidapi.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cwchar>

#include "device/hid_device_table.h"
#include "device/host_hid_platform.h"
#include "device/unicode_text.h"

namespace lq3860 {

namespace {

class HidapiConnection : public HidConnection {
public:
    explicit HidapiConnection(hid_device* device) : device_(device) {}
    ~HidapiConnection() override { hid_close(device_); }
    HidapiConnection(const HidapiConnection&) = delete;
    HidapiConnection& operator=(const HidapiConnection&) = delete;

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
        if (hid_get_product_string(device_, buffer, units) != 0) return false;
        buffer[units - 1] = L'\0';
        name = WideToUtf16(std::wstring_view(buffer, std::wcslen(buffer)));
        return true;
    }

private:
    hid_device* device_;
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

HidapiPlatform::HidapiPlatform() {
    static const bool initialised = hid_init() == 0;
    (void)initialised;
}

std::vector<HidInterfaceInfo> HidapiPlatform::ListInterfaces() {
    std::vector<HidInterfaceInfo> list;
    hid_device_info* all = hid_enumerate(0, 0);
    for (const hid_device_info* info = all; info != nullptr; info = info->next) {
        if (info->path == nullptr) continue;
        list.push_back({info->path, info->vendor_id, info->usage_page, info->usage});
    }
    hid_free_enumeration(all);
    return list;
}

std::unique_ptr<HidConnection> HidapiPlatform::Open(const std::string& path, bool& accessDenied) {
    accessDenied = false;
    hid_device* device = hid_open_path(path.c_str());
    if (device == nullptr) {
        accessDenied = NodeExistsButIsForbidden(path);
        return nullptr;
    }
    return std::make_unique<HidapiConnection>(device);
}

}  // namespace lq3860
