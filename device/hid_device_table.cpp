// SPDX-License-Identifier: MIT
#include "device/hid_device_table.h"

#include <algorithm>
#include <string>

#include "device/unicode_text.h"
#include "types/hid_report.h"

namespace lq3860 {

namespace {

// The product string arrives in a buffer of HID_PRODUCT_NAME_SIZE bytes,
// that is 127 UTF-16 units and their terminator.
constexpr std::size_t PRODUCT_NAME_UNITS = HID_PRODUCT_NAME_SIZE / 2 - 1;

}  // namespace

bool HidDeviceTable::IsFilledSlot(int index) const {
    return index >= 0 && index < HID_MAX_DEVICES && entries_[index] != nullptr;
}

void HidDeviceTable::HID_ClearList() {
    for (auto& entry : entries_) entry.reset();
    count_ = 0;
}

int HidDeviceTable::HID_Enumerate() {
    accessDeniedCount_ = 0;
    unlistedCount_ = 0;
    if (platform_ == nullptr) return count_;

    for (const HidInterfaceInfo& info : platform_->ListInterfaces()) {
        // Another vendor's device is never opened.
        if (info.vendorId != LQ3860_VENDOR_ID) continue;
        const bool matchingCollection = info.usagePage == LQ3860_USAGE_PAGE && info.usage == LQ3860_USAGE;
        if (count_ >= HID_MAX_DEVICES) {
            // The table is full: counted, never opened.
            if (matchingCollection) ++unlistedCount_;
            continue;
        }
        bool accessDenied = false;
        std::unique_ptr<HidConnection> probe = platform_->Open(info.path, accessDenied);
        if (!probe) {
            if (accessDenied && matchingCollection) ++accessDeniedCount_;
            continue;
        }
        probe.reset();
        if (!matchingCollection) continue;
        entries_[count_] = std::make_unique<HidDeviceRecord>(HidDeviceRecord{info.path});
        ++count_;
    }
    return count_;
}

int HidDeviceTable::HID_GetName(int index, char* destination, int length) {
    if (!IsFilledSlot(index) || platform_ == nullptr) return 0;
    bool accessDenied = false;
    std::unique_ptr<HidConnection> temporary = platform_->Open(entries_[index]->devicePath, accessDenied);
    if (!temporary) return 0;
    std::u16string name;
    // An empty product string is a name like any other. hidapi on Linux also
    // reports a module without a product string as an empty one: the two
    // cannot be told apart there, so only a failed read is no name.
    if (!temporary->ProductString(name)) return 0;
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

int HidDeviceTable::HID_Open(int index) {
    lastOpenInUse_ = false;
    if (!IsFilledSlot(index) || platform_ == nullptr) return 0;
    bool accessDenied = false;
    std::unique_ptr<HidConnection> connection = platform_->Open(entries_[index]->devicePath, accessDenied);
    if (!connection) return 0;
    const ClaimResult claim = connection->ClaimExclusive();
    if (claim != ClaimResult::Claimed) {
        lastOpenInUse_ = claim == ClaimResult::InUse;
        return 0;
    }
    deviceHandle_ = std::move(connection);
    return 1;
}

void HidDeviceTable::HID_Close() {
    deviceHandle_.reset();
}

int HidDeviceTable::HID_Read(std::uint8_t* buffer, int length, int* bytesRead) {
    if (bytesRead != nullptr) *bytesRead = 0;
    lastReadTimedOut_ = false;
    if (deviceHandle_ == nullptr || buffer == nullptr || length <= 0) return 0;
    const int received = deviceHandle_->Read(buffer, static_cast<std::size_t>(length), HID_READ_TIMEOUT_MS);
    // Nothing within the time limit counts as a failed read.
    lastReadTimedOut_ = received == 0;
    if (received <= 0) return 0;
    // A short report leaves no earlier reply's bytes behind.
    const int placed = std::min(received, length);
    std::fill(buffer + placed, buffer + length, std::uint8_t{0});
    if (bytesRead != nullptr) *bytesRead = placed;
    return 1;
}

int HidDeviceTable::DiscardPendingInput() {
    if (deviceHandle_ == nullptr) return 0;
    HidReport scratch{};
    int discarded = 0;
    while (discarded < HID_DISCARD_MAX_REPORTS && deviceHandle_->Read(scratch.data(), scratch.size(), 0) > 0) {
        ++discarded;
    }
    return discarded;
}

int HidDeviceTable::HID_Write(const std::uint8_t* buffer, int length, int* bytesWritten) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    if (deviceHandle_ == nullptr || buffer == nullptr || length <= 0) return 0;
    const int sent = deviceHandle_->Write(buffer, static_cast<std::size_t>(length));
    if (sent <= 0) return 0;
    if (bytesWritten != nullptr) *bytesWritten = sent;
    return 1;
}

void HidDeviceTable::CopyListFrom(const HidDeviceTable& scanned) {
    HID_ClearList();
    for (int i = 0; i < scanned.count_; ++i) entries_[i] = std::make_unique<HidDeviceRecord>(*scanned.entries_[i]);
    count_ = scanned.count_;
}

const char* HidDeviceTable::Path(int index) const {
    return IsFilledSlot(index) ? entries_[index]->devicePath.c_str() : nullptr;
}

}  // namespace lq3860
