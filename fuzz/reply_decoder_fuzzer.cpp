// SPDX-License-Identifier: MIT
// Arbitrary 65-byte replies through every decoder: each decision depends
// only on the bytes it is defined on, and a parameter reply taken and built
// again gives back exactly the bytes that travel.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device/command_protocol.h"
#include "fuzz_check.h"

namespace lq3860 {
namespace {

// The reply as the parameter reports carry it: only the taken bytes, texts
// up to their first zero byte.
HidReport TravellingBytes1(const HidReport& reply) {
    HidReport expected{};
    std::copy_n(reply.begin() + 1, 9, expected.begin() + 1);  // mode, channel, encryption, MAC
    for (std::size_t i = 11; i < 11 + SSID_SENT_LENGTH && reply[i] != 0; ++i) expected[i] = reply[i];
    return expected;
}

HidReport TravellingBytes2(const HidReport& reply) {
    HidReport expected{};
    for (std::size_t i = 1; i <= KEY_SENT_LENGTH && reply[i] != 0; ++i) expected[i] = reply[i];
    return expected;
}

}  // namespace
}  // namespace lq3860

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lq3860;
    if (size != HID_REPORT_SIZE) return 0;
    HidReport reply;
    std::copy_n(data, HID_REPORT_SIZE, reply.begin());

    FirmwareInfo info;
    const bool firmwareOk = DecodeFirmwareReply(reply, info);
    FUZZ_CHECK(firmwareOk == (reply[17] == 'O' && reply[18] == 'K'));
    if (firmwareOk) {
        FUZZ_CHECK(info.versionText.size() <= 3);
        FUZZ_CHECK(info.dateText.size() <= 11);  // "20yy/mm/dd "
    } else {
        FUZZ_CHECK(info.versionText.empty() && info.dateText.empty());
    }

    std::uint8_t level = 0xEE;
    const bool signalOk = DecodeSignalReply(reply, level);
    FUZZ_CHECK(signalOk == (reply[12] == 'O' && reply[13] == 'K'));
    FUZZ_CHECK(level == (signalOk ? reply[10] : 0xEE));

    const bool acknowledged = IsUploadAcknowledged(reply);
    FUZZ_CHECK(acknowledged == (std::memcmp(reply.data() + 1, "AT+iWP OK", 9) == 0 && reply[10] == 0));

    ModuleParamSet params;
    std::memset(&params, 0x77, sizeof params);
    TakeParamReport1(reply, params);
    TakeParamReport2(reply, params);
    FUZZ_CHECK(params.ssid[SSID_SENT_LENGTH] == '\0');
    FUZZ_CHECK(params.key[KEY_SENT_LENGTH] == '\0');
    HidReport built;
    BuildParamReport1(params, built);
    FUZZ_CHECK(built == TravellingBytes1(reply));
    BuildParamReport2(params, built);
    FUZZ_CHECK(built == TravellingBytes2(reply));
    return 0;
}
