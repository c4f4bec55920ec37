// SPDX-License-Identifier: MIT
#include "device/hid_platform_windows.h"

// windows.h first: the SetupAPI and HID headers build on its types; hidsdi.h
// brings hidusage.h and hidpi.h after the types they need. MinGW-w64's HID
// headers declare C functions without extern "C" of their own.
#include <windows.h>

extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "device/device_path_windows.h"
#include "device/hid_open_windows.h"
#include "device/host_hid_platform.h"
#include "device/timed_io_windows.h"
#include "types/handle_windows.h"
#include "types/wide_text_windows.h"

namespace lq3860 {

namespace {

// USB string descriptors hold at most 126 UTF-16 units; one more for the
// terminator that HidD_GetProductString adds when there is room.
constexpr std::size_t PRODUCT_STRING_UNITS = 127;

struct CollectionCaps {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::size_t inputReportLength = 0;   // report id included; 0: no input reports
    std::size_t outputReportLength = 0;  // report id included; 0: no output reports
};

bool ReadCollectionCaps(HANDLE device, CollectionCaps& caps) {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!HidD_GetPreparsedData(device, &preparsed)) return false;
    HIDP_CAPS hidCaps{};
    const bool ok = HidP_GetCaps(preparsed, &hidCaps) == HIDP_STATUS_SUCCESS;
    HidD_FreePreparsedData(preparsed);
    if (!ok) return false;
    caps.usagePage = hidCaps.UsagePage;
    caps.usage = hidCaps.Usage;
    caps.inputReportLength = hidCaps.InputReportByteLength;
    caps.outputReportLength = hidCaps.OutputReportByteLength;
    return true;
}

// An open interface. It starts with a query handle only (names and
// capabilities); the claim opens the handle that reads and writes,
// exclusively, so no other program's reports mix with ours. Reads and
// writes before the claim fail: only the link's own open claims, and it
// alone moves reports.
class WindowsHidConnection final : public HidConnection {
public:
    WindowsHidConnection(std::wstring path, HANDLE query, const CollectionCaps& caps)
        : path_(std::move(path)),
          query_(query),
          inputReport_(caps.inputReportLength),
          outputReport_(caps.outputReportLength) {}
    ~WindowsHidConnection() override = default;
    WindowsHidConnection(const WindowsHidConnection&) = delete;
    WindowsHidConnection& operator=(const WindowsHidConnection&) = delete;

    ClaimResult ClaimExclusive() override {
        if (device_.Valid()) return ClaimResult::Claimed;
        HANDLE opened = INVALID_HANDLE_VALUE;
        if (const ClaimResult claim = OpenExclusive(path_, opened); claim != ClaimResult::Claimed) return claim;
        OwnedHandle device(opened);
        // Manual-reset events, reset before each transfer.
        OwnedHandle readEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        OwnedHandle writeEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!readEvent.Valid() || !writeEvent.Valid()) return ClaimResult::Failed;
        device_.Reset(device.Release());
        readEvent_.Reset(readEvent.Release());
        writeEvent_.Reset(writeEvent.Release());
        return ClaimResult::Claimed;
    }

    // The report goes out padded with zeros to the collection's output
    // report length: Windows takes only whole reports. A longer report than
    // the collection's is refused rather than cut.
    int Write(const std::uint8_t* data, std::size_t length) override {
        if (!device_.Valid() || data == nullptr || length == 0 || outputReport_.empty() ||
            length > outputReport_.size()) {
            return -1;
        }
        std::fill(outputReport_.begin(), outputReport_.end(), std::uint8_t{0});
        std::memcpy(outputReport_.data(), data, length);
        const int written =
            TimedTransfer(device_.Get(), writeEvent_.Get(), TransferDirection::Write, outputReport_.data(),
                          static_cast<DWORD>(outputReport_.size()), HID_WRITE_TIMEOUT_MS);
        // A write that did not go out whole within the limit failed.
        if (written != static_cast<int>(outputReport_.size())) return -1;
        return static_cast<int>(length);
    }

    // Windows hands over whole input reports of the collection's length,
    // report id first (0 for a device without report ids). The report lands
    // in the connection's own buffer and is copied out, as far as the
    // caller's buffer holds it.
    int Read(std::uint8_t* data, std::size_t length, int timeoutMs) override {
        if (!device_.Valid() || data == nullptr || length == 0 || inputReport_.empty()) return -1;
        const int received = TimedTransfer(device_.Get(), readEvent_.Get(), TransferDirection::Read,
                                           inputReport_.data(), static_cast<DWORD>(inputReport_.size()), timeoutMs);
        if (received <= 0) return received;
        const std::size_t placed = std::min(static_cast<std::size_t>(received), length);
        std::memcpy(data, inputReport_.data(), placed);
        return static_cast<int>(placed);
    }

    bool ProductString(std::u16string& name) override {
        wchar_t buffer[PRODUCT_STRING_UNITS + 1] = {};
        // The length is in bytes; one unit stays zero as the terminator.
        if (!HidD_GetProductString(query_.Get(), buffer, sizeof(wchar_t) * PRODUCT_STRING_UNITS)) return false;
        std::size_t units = 0;
        while (units < PRODUCT_STRING_UNITS && buffer[units] != L'\0') ++units;
        name.assign(buffer, buffer + units);
        return true;
    }

private:
    std::wstring path_;
    OwnedHandle query_;
    OwnedHandle device_;  // the claim's handle; invalid before the claim
    OwnedHandle readEvent_;
    OwnedHandle writeEvent_;
    std::vector<std::uint8_t> inputReport_;
    std::vector<std::uint8_t> outputReport_;
};

}  // namespace

std::unique_ptr<HidPlatform> HostHidPlatform() {
    return std::make_unique<WindowsHidPlatform>();
}

WindowsHidPlatform::WindowsHidPlatform(std::uint16_t vendorId) : vendorId_(vendorId) {}

std::vector<HidInterfaceInfo> WindowsHidPlatform::ListInterfaces() {
    std::vector<HidInterfaceInfo> list;
    GUID hidGuid{};
    HidD_GetHidGuid(&hidGuid);
    HDEVINFO set = SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return list;

    std::vector<std::uint8_t> detailBuffer;
    for (DWORD member = 0;; ++member) {
        SP_DEVICE_INTERFACE_DATA interfaceData{};
        interfaceData.cbSize = sizeof interfaceData;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, member, &interfaceData)) break;

        DWORD required = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        // The record is built in a byte buffer sized by the call; its fixed
        // part is sized as the structure (8 bytes on 64-bit Windows), not as
        // the buffer.
        detailBuffer.assign(required + sizeof(wchar_t), 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detailBuffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, required, nullptr, nullptr)) continue;

        OwnedHandle device(OpenForQuery(detail->DevicePath));
        if (!device.Valid()) continue;
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        if (!HidD_GetAttributes(device.Get(), &attributes)) continue;
        if (vendorId_ != 0 && attributes.VendorID != vendorId_) continue;
        CollectionCaps caps;
        if (!ReadCollectionCaps(device.Get(), caps)) continue;
        list.push_back({InterfacePathOf(detail->DevicePath), attributes.VendorID, caps.usagePage, caps.usage});
    }
    SetupDiDestroyDeviceInfoList(set);
    return list;
}

std::unique_ptr<HidConnection> WindowsHidPlatform::Open(const std::string& path, bool& accessDenied) {
    accessDenied = false;
    std::wstring widePath;
    if (path.empty() || !Utf8ToWide(path, widePath)) return nullptr;
    OwnedHandle query(OpenForQuery(widePath));
    if (!query.Valid()) {
        accessDenied = GetLastError() == ERROR_ACCESS_DENIED;
        return nullptr;
    }
    CollectionCaps caps;
    if (!ReadCollectionCaps(query.Get(), caps)) return nullptr;
    return std::make_unique<WindowsHidConnection>(std::move(widePath), query.Release(), caps);
}

}  // namespace lq3860
