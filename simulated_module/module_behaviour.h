// SPDX-License-Identifier: MIT
#pragma once
// How an LQ-3860 answers the host: the firmware, signal and parameter replies
// and the upload handshake. Shared by the in-process simulated module and the
// virtual module on the kernel's HID stack, so both behave the same.
#include <cstdint>
#include <functional>
#include <optional>

#include "types/hid_report.h"
#include "types/module_params.h"

namespace lq3860 {

// A fresh module holds: mode "AP", channel 6, encryption "WPA2-PSK(AES)",
// SSID "LQ-3860", key "lq3860-default", MAC 00-0C-29-38-60-01; firmware
// "1.1" of 2026/12/06 and signal level "3".
//
// Commands are recognised by the payload text up to its first zero byte;
// unknown commands get no answer. After an acknowledged "AT+iWP\r\n" the
// next two output reports are taken as the two parameter reports, whatever
// they hold, and the set is stored once the second has arrived.
class ModuleBehaviour {
public:
    ModuleBehaviour();

    // One output report from the host (byte 0 the report id). Returns the
    // input report the module queues in answer, if any. Without
    // `storeUploads` an upload is acknowledged and taken, and the old set kept.
    std::optional<HidReport> HandleOutputReport(const HidReport& report, bool storeUploads = true);

    const ModuleParamSet& Params() const { return params_; }
    void SetParams(const ModuleParamSet& params) { params_ = params; }
    // Two characters each, as the firmware reply carries them.
    void SetFirmware(char major, char minor, const char (&yymmdd)[7]);
    void SetSignalLevel(std::uint8_t level) { signalLevel_ = level; }
    // Called after the module has taken both parameter reports of an upload.
    void OnParamsStored(std::function<void(const ModuleParamSet&)> callback) { stored_ = std::move(callback); }

private:
    enum class UploadState { Idle, ExpectReport1, ExpectReport2 };
    ModuleParamSet params_;
    char version_[2] = {'1', '1'};
    char date_[6] = {'2', '6', '1', '2', '0', '6'};
    std::uint8_t signalLevel_ = '3';
    UploadState upload_ = UploadState::Idle;
    ModuleParamSet incoming_;  // the upload being received
    std::function<void(const ModuleParamSet&)> stored_;
};

}  // namespace lq3860
