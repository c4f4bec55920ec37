#pragma once
// The link state and the single-command exchanges with the open module,
// shared by the window and the command-line tool.
#include <cstdint>

#include "device/command_protocol.h"
#include "device/hid_report.h"

struct LinkState {
    int deviceOpen = 0;    // a module is open on the shared handle
    int rescanNeeded = 1;  // the device list must be rebuilt
};

inline constexpr unsigned SIGNAL_REPLY_WAIT_MS = 2000;

// HID_Close, then deviceOpen = 0 and rescanNeeded = 1.
void CloseLink(LinkState& link);

// Closes an open module first; then opens slot `index` ("HID_Open\n",
// deviceOpen = 1). False when the slot cannot be opened.
bool OpenModule(LinkState& link, int index);

// The single steps of an exchange, for procedures that interleave their own
// waits: a failed step writes "HID_Write Err\n" / "HID_Read Err\n", runs
// CloseLink and returns false.
bool WriteReport(LinkState& link, const HidReport& report);
bool WriteCommand(LinkState& link, const char* command);
bool ReadReply(LinkState& link, HidReport& reply);

// Writes the command report, waits waitMs, reads one reply into `reply`.
// A failed write or read writes "HID_Write Err\n" / "HID_Read Err\n", runs
// CloseLink and returns false.
bool ExchangeCommand(LinkState& link, const char* command, unsigned waitMs, HidReport& reply);

enum class ReplyOutcome { LinkFailed, Refused, Accepted };

// "AT+iFW\r\n" with no wait; "OK" or "NG" to the debug output.
ReplyOutcome QueryFirmware(LinkState& link, HidReport& reply, FirmwareInfo& info);
// "AT+iSS\r\n" with the 2000 ms wait; on acceptance writes "OK" and
// "RSSI= %d" (the previous level) and stores the new level in signalLevel.
ReplyOutcome QuerySignal(LinkState& link, HidReport& reply, std::uint8_t& signalLevel);
