// SPDX-License-Identifier: MIT
#include "device/command_protocol.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace lq3860 {

namespace {

constexpr std::size_t PAYLOAD = 1;  // byte 0 is the report id
constexpr std::size_t PAYLOAD_SIZE = HID_REPORT_SIZE - PAYLOAD;

// Reply byte positions.
constexpr std::size_t FIRMWARE_VERSION = 8;
constexpr std::size_t FIRMWARE_DATE = 10;
constexpr std::size_t FIRMWARE_OK = 17;
constexpr std::size_t SIGNAL_LEVEL = 10;
constexpr std::size_t SIGNAL_OK = 12;

// Parameter report byte positions.
constexpr std::size_t PARAM_MODE = 1;
constexpr std::size_t PARAM_CHANNEL = 2;
constexpr std::size_t PARAM_ENCRYPTION = 3;
constexpr std::size_t PARAM_MAC = 4;
constexpr std::size_t PARAM_SSID = 11;
constexpr std::size_t PARAM_KEY = 1;

bool HasOkAt(const HidReport& reply, std::size_t position) {
    return reply[position] == 'O' && reply[position + 1] == 'K';
}

void PutText(HidReport& report, std::size_t first, std::string_view text) {
    std::copy(text.begin(), text.end(), report.begin() + static_cast<std::ptrdiff_t>(first));
}

std::string_view ReportText(const HidReport& report, std::size_t first, std::size_t maxLength) {
    return BoundedText(reinterpret_cast<const char*>(report.data() + first), maxLength);
}

}  // namespace

void BuildCommandReport(const char* command, HidReport& report) {
    report.fill(0);
    if (command == nullptr) return;
    PutText(report, PAYLOAD, BoundedText(command, PAYLOAD_SIZE));
}

void BuildFirmwareReply(const char (&version)[2], const char (&date)[6], HidReport& reply) {
    reply.fill(0);
    PutText(reply, FIRMWARE_VERSION, {version, 2});
    PutText(reply, FIRMWARE_DATE, {date, 6});
    PutText(reply, FIRMWARE_OK, "OK");
}

void BuildSignalReply(std::uint8_t level, HidReport& reply) {
    reply.fill(0);
    reply[SIGNAL_LEVEL] = level;
    PutText(reply, SIGNAL_OK, "OK");
}

void BuildUploadAcknowledgement(HidReport& reply) {
    reply.fill(0);
    PutText(reply, PAYLOAD, UPLOAD_ACKNOWLEDGEMENT);
}

bool DecodeFirmwareReply(const HidReport& reply, FirmwareInfo& info) {
    if (!HasOkAt(reply, FIRMWARE_OK)) return false;
    // Formatted as C text, so a zero byte ends the text as it would on screen.
    char version[8];
    std::snprintf(version, sizeof version, "%c.%c", reply[FIRMWARE_VERSION], reply[FIRMWARE_VERSION + 1]);
    const std::uint8_t* date = reply.data() + FIRMWARE_DATE;
    char dateText[16];
    std::snprintf(dateText, sizeof dateText, "20%c%c/%c%c/%c%c ", date[0], date[1], date[2], date[3], date[4], date[5]);
    info.versionText = version;
    info.dateText = dateText;
    return true;
}

bool DecodeSignalReply(const HidReport& reply, std::uint8_t& level) {
    if (!HasOkAt(reply, SIGNAL_OK)) return false;
    level = reply[SIGNAL_LEVEL];
    return true;
}

std::string_view PayloadText(const HidReport& report) {
    return ReportText(report, PAYLOAD, PAYLOAD_SIZE);
}

bool IsUploadAcknowledged(const HidReport& reply) {
    return PayloadText(reply) == UPLOAD_ACKNOWLEDGEMENT;
}

std::size_t TestedReplyLength(std::string_view command) {
    if (command == CMD_FIRMWARE) return FIRMWARE_OK + 2;
    if (command == CMD_SIGNAL) return SIGNAL_OK + 2;
    // The acknowledgement's text and the zero byte after it.
    if (command == CMD_ANNOUNCE_UPLOAD) return PAYLOAD + std::string_view(UPLOAD_ACKNOWLEDGEMENT).size() + 1;
    return 0;
}

void TakeParamReport1(const HidReport& reply, ModuleParamSet& params) {
    params.mode = reply[PARAM_MODE];
    params.channel = reply[PARAM_CHANNEL];
    params.encryption = reply[PARAM_ENCRYPTION];
    std::copy_n(reply.begin() + PARAM_MAC, MAC_LENGTH, params.mac);
    StoreParamText(params.ssid, ReportText(reply, PARAM_SSID, SSID_SENT_LENGTH));
}

void TakeParamReport2(const HidReport& reply, ModuleParamSet& params) {
    StoreParamText(params.key, ReportText(reply, PARAM_KEY, KEY_SENT_LENGTH));
}

void BuildParamReport1(const ModuleParamSet& params, HidReport& report) {
    report.fill(0);
    report[PARAM_MODE] = params.mode;
    report[PARAM_CHANNEL] = params.channel;
    report[PARAM_ENCRYPTION] = params.encryption;
    std::copy_n(params.mac, MAC_LENGTH, report.begin() + PARAM_MAC);
    PutText(report, PARAM_SSID, ParamText(params.ssid, SSID_SENT_LENGTH));
}

void BuildParamReport2(const ModuleParamSet& params, HidReport& report) {
    report.fill(0);
    PutText(report, PARAM_KEY, ParamText(params.key, KEY_SENT_LENGTH));
}

}  // namespace lq3860
