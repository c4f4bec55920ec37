#pragma once
// The process-wide table of attached LQ-3860 modules and the one shared
// device handle through which every report to and from the selected module
// passes. All functions run on one thread.
#include <cstdint>
#include <memory>
#include <string>

#include "device/hid_platform.h"

inline constexpr int HID_MAX_DEVICES = 10;
inline constexpr std::uint16_t LQ3860_VENDOR_ID = 0x7e3a;
inline constexpr std::uint16_t LQ3860_USAGE_PAGE = 0xFF00;
inline constexpr std::uint16_t LQ3860_USAGE = 0x0001;
inline constexpr int HID_PRODUCT_NAME_SIZE = 256;
// A module that stays silent longer than this makes the read fail.
inline constexpr int HID_READ_TIMEOUT_MS = 2000;

struct HidDeviceRecord {
    std::string devicePath;
};

struct HidDeviceTable {
    std::unique_ptr<HidDeviceRecord> entries[HID_MAX_DEVICES];
    int count = 0;
    std::unique_ptr<HidConnection> deviceHandle;  // null: the link is closed
    int accessDeniedCount = 0;  // matching modules the last scan could not open for lack of permission
};

// Chooses the HID platform the table works on (not owned; must outlive its
// use). Without one, scans find nothing and every open fails.
void HID_UsePlatform(HidPlatform* platform);

void HID_ClearList();
int HID_Enumerate();
int HID_GetName(int index, char* destination, int length);
int HID_Open(int index);
void HID_Close();
int HID_Read(std::uint8_t* buffer, int length, int* bytesRead);
int HID_Write(const std::uint8_t* buffer, int length, int* bytesWritten);

// Read-only views for listing (the command-line tool prints paths).
int HID_Count();
const char* HID_GetPath(int index);  // null for an empty slot
int HID_AccessDeniedCount();
