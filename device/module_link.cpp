#include "device/module_link.h"

#include <cstdio>

#include "device/debug_output.h"
#include "device/hid_device_table.h"
#include "device/pause.h"

void CloseLink(LinkState& link) {
    HID_Close();
    link.deviceOpen = 0;
    link.rescanNeeded = 1;
}

bool OpenModule(LinkState& link, int index) {
    if (link.deviceOpen) CloseLink(link);
    if (!HID_Open(index)) return false;
    DebugOutput("HID_Open\n");
    link.deviceOpen = 1;
    return true;
}

bool WriteReport(LinkState& link, const HidReport& report) {
    int transferred = 0;
    if (HID_Write(report.data(), static_cast<int>(report.size()), &transferred)) return true;
    DebugOutput("HID_Write Err\n");
    CloseLink(link);
    return false;
}

bool WriteCommand(LinkState& link, const char* command) {
    HidReport report;
    BuildCommandReport(command, report);
    return WriteReport(link, report);
}

bool ReadReply(LinkState& link, HidReport& reply) {
    int transferred = 0;
    if (HID_Read(reply.data(), static_cast<int>(reply.size()), &transferred)) return true;
    DebugOutput("HID_Read Err\n");
    CloseLink(link);
    return false;
}

bool ExchangeCommand(LinkState& link, const char* command, unsigned waitMs, HidReport& reply) {
    if (!WriteCommand(link, command)) return false;
    if (waitMs > 0) Pause(waitMs);
    return ReadReply(link, reply);
}

ReplyOutcome QueryFirmware(LinkState& link, HidReport& reply, FirmwareInfo& info) {
    if (!ExchangeCommand(link, CMD_FIRMWARE, 0, reply)) return ReplyOutcome::LinkFailed;
    if (!DecodeFirmwareReply(reply, info)) {
        DebugOutput("NG");
        return ReplyOutcome::Refused;
    }
    DebugOutput("OK");
    return ReplyOutcome::Accepted;
}

ReplyOutcome QuerySignal(LinkState& link, HidReport& reply, std::uint8_t& signalLevel) {
    if (!ExchangeCommand(link, CMD_SIGNAL, SIGNAL_REPLY_WAIT_MS, reply)) return ReplyOutcome::LinkFailed;
    std::uint8_t newLevel = 0;
    if (!DecodeSignalReply(reply, newLevel)) {
        DebugOutput("NG");
        return ReplyOutcome::Refused;
    }
    DebugOutput("OK");
    char text[16];
    std::snprintf(text, sizeof text, "RSSI= %d", static_cast<int>(signalLevel));
    DebugOutput(text);
    signalLevel = newLevel;
    return ReplyOutcome::Accepted;
}
