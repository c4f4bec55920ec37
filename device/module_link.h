// SPDX-License-Identifier: MIT
#pragma once
// The link to the open module: its two state flags and the single-command
// exchanges, shared by the window and the command-line tool.
#include <cstdint>

#include "device/command_protocol.h"
#include "device/hid_device_table.h"
#include "types/debug_output.h"
#include "types/hid_report.h"
#include "types/pause.h"

namespace lq3860 {

inline constexpr unsigned SIGNAL_REPLY_WAIT_MS = 2000;

enum class ReplyOutcome { LinkFailed, Refused, Accepted };

// Why the link's last open or exchange failed, as far as the device layer
// can tell.
enum class LinkFailure {
    None,
    OpenFailed,      // the module could not be opened
    InUse,           // another program holds the module
    WriteFailed,     // a report could not be written
    ReadFailed,      // the read itself failed (the module gone, the link lost)
    NoReply,         // nothing arrived within HID_READ_TIMEOUT_MS
    NgReply,         // a whole reply without the module's acceptance
    MalformedReply,  // a reply cut before the bytes its test reads
};

class ModuleLink {
public:
    // The table, debug output and pause are the session's; none is owned.
    ModuleLink(HidDeviceTable& table, const DebugOutput& debug, const Pause& pause)
        : table_(table), debug_(debug), pause_(pause) {}
    ModuleLink(const ModuleLink&) = delete;
    ModuleLink& operator=(const ModuleLink&) = delete;

    int deviceOpen = 0;    // a module is open on the table's handle
    int rescanNeeded = 1;  // the device list must be rebuilt

    // HID_Close, then deviceOpen = 0 and rescanNeeded = 1.
    void CloseLink();

    // Closes an open module first; then opens slot `index` ("HID_Open\n",
    // deviceOpen = 1). False when the slot cannot be opened.
    bool OpenModule(int index);

    // The single steps of an exchange, for procedures that interleave their
    // own waits: a failed step writes "HID_Write Err\n" / "HID_Read Err\n",
    // runs CloseLink and returns false. WriteCommand first drops the input
    // reports already waiting, so the next read takes this command's reply.
    bool WriteReport(const HidReport& report);
    bool WriteCommand(const char* command);
    bool ReadReply(HidReport& reply);

    // Writes the command report, waits waitMs, reads one reply into `reply`.
    bool ExchangeCommand(const char* command, unsigned waitMs, HidReport& reply);

    // "AT+iFW\r\n" with no wait; "OK" or "NG" to the debug output.
    ReplyOutcome QueryFirmware(HidReport& reply, FirmwareInfo& info);
    // "AT+iSS\r\n" with the 2000 ms wait; on acceptance writes "OK" and
    // "RSSI= %d" (the previous level) and stores the new level in signalLevel.
    ReplyOutcome QuerySignal(HidReport& reply, std::uint8_t& signalLevel);
    // "AT+iWP\r\n" with no wait; accepted when the reply is "AT+iWP OK". No
    // debug text of its own: the upload procedure shows its message.
    ReplyOutcome QueryUploadAcknowledgement(HidReport& reply);

    // Why the last failed open or exchange failed. A failure that drops the
    // link stays until the next open or command, so the steps a procedure
    // still runs on the dropped link do not hide the first cause.
    LinkFailure Failure() const { return failure_; }

    // A wait of a procedure, through the session's pause.
    void Wait(unsigned milliseconds) const { pause_.Wait(milliseconds); }

private:
    // A reply to `command` that failed its test: NG, or malformed when it
    // ended before the bytes the test reads.
    ReplyOutcome Refuse(const char* command);

    HidDeviceTable& table_;
    const DebugOutput& debug_;
    const Pause& pause_;
    LinkFailure failure_ = LinkFailure::None;
    int replyBytes_ = 0;  // of the last reply read, report id included
};

}  // namespace lq3860
