// SPDX-License-Identifier: MIT
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "device/module_link.h"

namespace lq3860 {

namespace {

// The level character "0".."3" as it is; any other byte as 0xNN.
std::string LevelText(std::uint8_t level) {
    if (level >= '0' && level <= '3') return std::string(1, static_cast<char>(level));
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(level));
    return text;
}

}  // namespace

int RunSignal(const ToolContext& context, ModuleAccess& access) {
    if (const int status = access.OpenSelectedModule(); status != EXIT_OK) return status;
    HidReport reply{};
    std::uint8_t& level = access.GetSession().signalLevel;
    if (access.GetSession().link.QuerySignal(reply, level) != ReplyOutcome::Accepted) {
        return access.FailLink(access.LastDebugText());  // "HID_Write Err", "HID_Read Err" or "NG"
    }
    const std::string text = LevelText(level);
    if (context.line.json) {
        JsonObject json;
        if (level >= '0' && level <= '3') {
            json.AddNumber("signal", level - '0');
        } else {
            json.AddNull("signal");
        }
        access.PrintJson(json.AddNumber("signalByte", level));
    } else {
        context.out << "signal " << text << '\n';
    }
    return EXIT_OK;
}

}  // namespace lq3860
