// SPDX-License-Identifier: MIT
#pragma once
// Every report that crosses the link: command reports, the replies (built as
// a module sends them, tested and taken as the host reads them), and the two
// parameter reports. Each byte position is named once, in the .cpp.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "types/hid_report.h"
#include "types/module_params.h"

namespace lq3860 {

inline constexpr const char* CMD_FIRMWARE = "AT+iFW\r\n";
inline constexpr const char* CMD_SIGNAL = "AT+iSS\r\n";
inline constexpr const char* CMD_ANNOUNCE_UPLOAD = "AT+iWP\r\n";
inline constexpr const char* CMD_READ_PARAMS1 = "AT+iRP1\r\n";
inline constexpr const char* CMD_READ_PARAMS2 = "AT+iRP2\r\n";
inline constexpr const char* UPLOAD_ACKNOWLEDGEMENT = "AT+iWP OK";

// All 65 bytes zero, then the command text (without terminator) from byte 1.
void BuildCommandReport(const char* command, HidReport& report);

struct FirmwareInfo {
    std::string versionText;  // "%c.%c"
    std::string dateText;     // "20%c%c/%c%c/%c%c " (ends in one blank)
};
// Replies as a module sends them, zeros elsewhere, at the positions the
// decoders below read; the simulated module answers with these. The date is
// six characters, yymmdd.
void BuildFirmwareReply(const char (&version)[2], const char (&date)[6], HidReport& reply);
void BuildSignalReply(std::uint8_t level, HidReport& reply);
void BuildUploadAcknowledgement(HidReport& reply);

// Bytes 1..64 up to the first zero byte: a command's or a reply's text.
std::string_view PayloadText(const HidReport& report);
// True when O and K stand at bytes 17 and 18; only then is info filled.
bool DecodeFirmwareReply(const HidReport& reply, FirmwareInfo& info);
// True when O and K stand at bytes 12 and 13; only then is level set (byte 10, as it arrived).
bool DecodeSignalReply(const HidReport& reply, std::uint8_t& level);
// True when the payload up to its first zero byte is exactly "AT+iWP OK".
bool IsUploadAcknowledged(const HidReport& reply);
// How many leading bytes of the reply to `command` (report id included) its
// test reads; 0 for the parameter replies, which have no test. A reply that
// fails its test after fewer bytes arrived is malformed (cut before the
// bytes that carry the module's answer); a longer one is the module's "NG".
std::size_t TestedReplyLength(std::string_view command);

// Parameter replies are taken byte for byte, without tests.
void TakeParamReport1(const HidReport& reply, ModuleParamSet& params);
void TakeParamReport2(const HidReport& reply, ModuleParamSet& params);
// Parameter reports of an upload; the key goes out as the caller left it
// (cleared under "NONE" by the collection).
void BuildParamReport1(const ModuleParamSet& params, HidReport& report);
void BuildParamReport2(const ModuleParamSet& params, HidReport& report);

}  // namespace lq3860
