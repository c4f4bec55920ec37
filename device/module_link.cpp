// SPDX-License-Identifier: MIT
#include "device/module_link.h"

#include <cstdio>

namespace lq3860 {

void ModuleLink::CloseLink() {
    table_.HID_Close();
    deviceOpen = 0;
    rescanNeeded = 1;
}

bool ModuleLink::OpenModule(int index) {
    if (deviceOpen) CloseLink();
    if (!table_.HID_Open(index)) {
        failure_ = table_.LastOpenInUse() ? LinkFailure::InUse : LinkFailure::OpenFailed;
        return false;
    }
    debug_.Write("HID_Open\n");
    deviceOpen = 1;
    failure_ = LinkFailure::None;
    return true;
}

bool ModuleLink::WriteReport(const HidReport& report) {
    int transferred = 0;
    if (table_.HID_Write(report.data(), static_cast<int>(report.size()), &transferred)) return true;
    debug_.Write("HID_Write Err\n");
    if (deviceOpen) failure_ = LinkFailure::WriteFailed;
    CloseLink();
    return false;
}

bool ModuleLink::WriteCommand(const char* command) {
    if (deviceOpen) failure_ = LinkFailure::None;
    // The reply read next must answer this command: a report sent twice, a
    // late one or one left from an earlier program would otherwise be taken
    // for it and shift every later reply.
    table_.DiscardPendingInput();
    HidReport report;
    BuildCommandReport(command, report);
    return WriteReport(report);
}

bool ModuleLink::ReadReply(HidReport& reply) {
    if (table_.HID_Read(reply.data(), static_cast<int>(reply.size()), &replyBytes_)) return true;
    debug_.Write("HID_Read Err\n");
    if (deviceOpen) failure_ = table_.LastReadTimedOut() ? LinkFailure::NoReply : LinkFailure::ReadFailed;
    CloseLink();
    return false;
}

ReplyOutcome ModuleLink::Refuse(const char* command) {
    const bool cut = static_cast<std::size_t>(replyBytes_) < TestedReplyLength(command);
    failure_ = cut ? LinkFailure::MalformedReply : LinkFailure::NgReply;
    return ReplyOutcome::Refused;
}

bool ModuleLink::ExchangeCommand(const char* command, unsigned waitMs, HidReport& reply) {
    if (!WriteCommand(command)) return false;
    if (waitMs > 0) pause_.Wait(waitMs);
    return ReadReply(reply);
}

ReplyOutcome ModuleLink::QueryFirmware(HidReport& reply, FirmwareInfo& info) {
    if (!ExchangeCommand(CMD_FIRMWARE, 0, reply)) return ReplyOutcome::LinkFailed;
    if (!DecodeFirmwareReply(reply, info)) {
        debug_.Write("NG");
        return Refuse(CMD_FIRMWARE);
    }
    debug_.Write("OK");
    return ReplyOutcome::Accepted;
}

ReplyOutcome ModuleLink::QuerySignal(HidReport& reply, std::uint8_t& signalLevel) {
    if (!ExchangeCommand(CMD_SIGNAL, SIGNAL_REPLY_WAIT_MS, reply)) return ReplyOutcome::LinkFailed;
    std::uint8_t newLevel = 0;
    if (!DecodeSignalReply(reply, newLevel)) {
        debug_.Write("NG");
        return Refuse(CMD_SIGNAL);
    }
    debug_.Write("OK");
    char text[16];
    std::snprintf(text, sizeof text, "RSSI= %d", static_cast<int>(signalLevel));
    debug_.Write(text);
    signalLevel = newLevel;
    return ReplyOutcome::Accepted;
}

ReplyOutcome ModuleLink::QueryUploadAcknowledgement(HidReport& reply) {
    if (!ExchangeCommand(CMD_ANNOUNCE_UPLOAD, 0, reply)) return ReplyOutcome::LinkFailed;
    return IsUploadAcknowledged(reply) ? ReplyOutcome::Accepted : Refuse(CMD_ANNOUNCE_UPLOAD);
}

}  // namespace lq3860
