#include "device/hid_device_table.h"

#include <string>

#include "device/unicode_text.h"

namespace {

HidDeviceTable& Table() {
    static HidDeviceTable table;
    return table;
}

HidPlatform*& Platform() {
    static HidPlatform* platform = nullptr;
    return platform;
}

bool IsFilledSlot(int index) {
    return index >= 0 && index < HID_MAX_DEVICES && Table().entries[index] != nullptr;
}

// The product string arrives in a buffer of HID_PRODUCT_NAME_SIZE bytes,
// that is 127 UTF-16 units and their terminator.
constexpr std::size_t PRODUCT_NAME_UNITS = HID_PRODUCT_NAME_SIZE / 2 - 1;

}  // namespace

void HID_UsePlatform(HidPlatform* platform) {
    Platform() = platform;
}

void HID_ClearList() {
    HidDeviceTable& table = Table();
    for (auto& entry : table.entries) entry.reset();
    table.count = 0;
}

int HID_Enumerate() {
    HidDeviceTable& table = Table();
    table.accessDeniedCount = 0;
    HidPlatform* platform = Platform();
    if (platform == nullptr) return table.count;

    for (const HidInterfaceInfo& info : platform->ListInterfaces()) {
        if (table.count >= HID_MAX_DEVICES) break;
        // Another vendor's device is never opened.
        if (info.vendorId != LQ3860_VENDOR_ID) continue;
        const bool matchingCollection =
            info.usagePage == LQ3860_USAGE_PAGE && info.usage == LQ3860_USAGE;
        bool accessDenied = false;
        std::unique_ptr<HidConnection> probe = platform->Open(info.path, accessDenied);
        if (!probe) {
            if (accessDenied && matchingCollection) ++table.accessDeniedCount;
            continue;
        }
        probe.reset();
        if (!matchingCollection) continue;
        table.entries[table.count] = std::make_unique<HidDeviceRecord>(HidDeviceRecord{info.path});
        ++table.count;
    }
    return table.count;
}

int HID_GetName(int index, char* destination, int length) {
    if (!IsFilledSlot(index) || Platform() == nullptr) return 0;
    bool accessDenied = false;
    std::unique_ptr<HidConnection> temporary =
        Platform()->Open(Table().entries[index]->devicePath, accessDenied);
    if (!temporary) return 0;
    std::u16string name;
    // hidapi on Linux reports a module without a product string as an empty
    // one; that is no name either, so the caller labels the module otherwise.
    if (!temporary->ProductString(name) || name.empty()) return 0;
    if (name.size() > PRODUCT_NAME_UNITS) {
        // Cut to the buffer's size without splitting a surrogate pair.
        const bool splitsPair = name[PRODUCT_NAME_UNITS - 1] >= 0xD800 && name[PRODUCT_NAME_UNITS - 1] <= 0xDBFF;
        name.resize(splitsPair ? PRODUCT_NAME_UNITS - 1 : PRODUCT_NAME_UNITS);
    }
    if (destination != nullptr && length > 0) {
        Utf16ToUtf8Bounded(name, destination, static_cast<std::size_t>(length));
    }
    return 1;
}

int HID_Open(int index) {
    if (!IsFilledSlot(index) || Platform() == nullptr) return 0;
    bool accessDenied = false;
    std::unique_ptr<HidConnection> connection =
        Platform()->Open(Table().entries[index]->devicePath, accessDenied);
    if (!connection) return 0;
    Table().deviceHandle = std::move(connection);
    return 1;
}

void HID_Close() {
    Table().deviceHandle.reset();
}

int HID_Read(std::uint8_t* buffer, int length, int* bytesRead) {
    if (bytesRead != nullptr) *bytesRead = 0;
    HidConnection* connection = Table().deviceHandle.get();
    if (connection == nullptr || buffer == nullptr || length <= 0) return 0;
    const int received = connection->Read(buffer, static_cast<std::size_t>(length), HID_READ_TIMEOUT_MS);
    // Nothing within the time limit counts as a failed read.
    if (received <= 0) return 0;
    if (bytesRead != nullptr) *bytesRead = received;
    return 1;
}

int HID_Write(const std::uint8_t* buffer, int length, int* bytesWritten) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    HidConnection* connection = Table().deviceHandle.get();
    if (connection == nullptr || buffer == nullptr || length <= 0) return 0;
    const int sent = connection->Write(buffer, static_cast<std::size_t>(length));
    if (sent <= 0) return 0;
    if (bytesWritten != nullptr) *bytesWritten = sent;
    return 1;
}

int HID_Count() {
    return Table().count;
}

const char* HID_GetPath(int index) {
    return IsFilledSlot(index) ? Table().entries[index]->devicePath.c_str() : nullptr;
}

int HID_AccessDeniedCount() {
    return Table().accessDeniedCount;
}
