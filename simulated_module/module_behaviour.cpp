// SPDX-License-Identifier: MIT
#include "simulated_module/module_behaviour.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "device/command_protocol.h"

namespace lq3860 {

namespace {

constexpr std::uint8_t DEFAULT_MAC[MAC_LENGTH] = {0x00, 0x0C, 0x29, 0x38, 0x60, 0x01};

}  // namespace

ModuleBehaviour::ModuleBehaviour() {
    params_.mode = MODE_AP;
    params_.channel = 6;
    params_.encryption = 4;  // "WPA2-PSK(AES)"
    StoreParamText(params_.ssid, "LQ-3860");
    StoreParamText(params_.key, "lq3860-default");
    std::copy(std::begin(DEFAULT_MAC), std::end(DEFAULT_MAC), params_.mac);
}

void ModuleBehaviour::SetFirmware(char major, char minor, const char (&yymmdd)[7]) {
    version_[0] = major;
    version_[1] = minor;
    std::copy_n(yymmdd, 6, date_);
}

std::optional<HidReport> ModuleBehaviour::HandleOutputReport(const HidReport& report, bool storeUploads) {
    switch (upload_) {
        case UploadState::ExpectReport1:
            TakeParamReport1(report, incoming_);
            upload_ = UploadState::ExpectReport2;
            return std::nullopt;
        case UploadState::ExpectReport2:
            TakeParamReport2(report, incoming_);
            upload_ = UploadState::Idle;
            if (!storeUploads) return std::nullopt;
            params_ = incoming_;
            if (stored_) stored_(params_);
            return std::nullopt;
        case UploadState::Idle: break;
    }

    const std::string_view command = PayloadText(report);
    HidReport reply{};
    if (command == CMD_FIRMWARE) {
        BuildFirmwareReply(version_, date_, reply);
    } else if (command == CMD_SIGNAL) {
        BuildSignalReply(signalLevel_, reply);
    } else if (command == CMD_ANNOUNCE_UPLOAD) {
        BuildUploadAcknowledgement(reply);
        incoming_ = params_;
        upload_ = UploadState::ExpectReport1;
    } else if (command == CMD_READ_PARAMS1) {
        BuildParamReport1(params_, reply);
    } else if (command == CMD_READ_PARAMS2) {
        BuildParamReport2(params_, reply);
    } else {
        return std::nullopt;
    }
    return reply;
}

}  // namespace lq3860
