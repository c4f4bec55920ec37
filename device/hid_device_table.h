// SPDX-License-Identifier: MIT
#pragma once
// The table of attached LQ-3860 modules and the one device handle through
// which every report to and from the selected module passes. One table per
// session; its functions run on the session's thread.
#include <cstdint>
#include <memory>
#include <string>

#include "device/hid_platform.h"

namespace lq3860 {

inline constexpr int HID_MAX_DEVICES = 10;
inline constexpr std::uint16_t LQ3860_VENDOR_ID = 0x7e3a;
inline constexpr std::uint16_t LQ3860_USAGE_PAGE = 0xFF00;
inline constexpr std::uint16_t LQ3860_USAGE = 0x0001;
inline constexpr int HID_PRODUCT_NAME_SIZE = 256;
// A module that stays silent longer than this makes the read fail.
inline constexpr int HID_READ_TIMEOUT_MS = 2000;
// At most this many waiting input reports are discarded before a command; a
// module that floods the link cannot keep the host in the discarding loop.
inline constexpr int HID_DISCARD_MAX_REPORTS = 256;

struct HidDeviceRecord {
    std::string devicePath;
};

class HidDeviceTable {
public:
    // The platform is not owned and must outlive the table. Without one,
    // scans find nothing and every open fails.
    explicit HidDeviceTable(HidPlatform* platform) : platform_(platform) {}
    HidDeviceTable(const HidDeviceTable&) = delete;
    HidDeviceTable& operator=(const HidDeviceTable&) = delete;

    void HID_ClearList();
    int HID_Enumerate();
    int HID_GetName(int index, char* destination, int length);
    // Opens slot `index` and takes the module for this program alone; a
    // module that another program holds is not opened (LastOpenInUse).
    int HID_Open(int index);
    void HID_Close();
    // Bytes of the buffer that the device did not send are set to zero.
    int HID_Read(std::uint8_t* buffer, int length, int* bytesRead);
    int HID_Write(const std::uint8_t* buffer, int length, int* bytesWritten);

    // Takes over the list of another table's last scan (not its handle), so
    // another session can open a module that scan found without scanning again.
    void CopyListFrom(const HidDeviceTable& scanned);
    // Reads, without waiting, the input reports already waiting on the open
    // link and drops them (a reply sent twice, a late one). Stops at the
    // first read that finds nothing or fails; a failure is left to the next
    // transfer to report. Returns the number dropped.
    int DiscardPendingInput();

    // Read-only views for listing (the command-line tool prints paths).
    int Count() const { return count_; }
    const char* Path(int index) const;  // null for an empty slot
    // Matching modules the last scan could not open for lack of permission.
    int AccessDeniedCount() const { return accessDeniedCount_; }
    // Matching interfaces the last scan met after the table was full.
    int UnlistedCount() const { return unlistedCount_; }
    // True when the last HID_Open failed because another program holds the module.
    bool LastOpenInUse() const { return lastOpenInUse_; }
    // True when the last HID_Read failed because nothing arrived within
    // HID_READ_TIMEOUT_MS (not because the read itself failed).
    bool LastReadTimedOut() const { return lastReadTimedOut_; }

private:
    bool IsFilledSlot(int index) const;

    HidPlatform* platform_;
    std::unique_ptr<HidDeviceRecord> entries_[HID_MAX_DEVICES];
    int count_ = 0;
    std::unique_ptr<HidConnection> deviceHandle_;  // null: the link is closed
    int accessDeniedCount_ = 0;
    int unlistedCount_ = 0;
    bool lastOpenInUse_ = false;
    bool lastReadTimedOut_ = false;
};

}  // namespace lq3860
