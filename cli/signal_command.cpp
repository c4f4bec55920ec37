#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/debug_capture.h"
#include "cli/exit_codes.h"
#include "device/module_link.h"

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
    DebugCapture debug;
    LinkState link;
    if (const int status = access.OpenSelectedModule(link); status != EXIT_OK) return status;
    HidReport reply{};
    std::uint8_t level = 0;
    if (QuerySignal(link, reply, level) != ReplyOutcome::Accepted) {
        context.Message(debug.LastText());  // "HID_Write Err", "HID_Read Err" or "NG"
        return EXIT_MODULE_FAILURE;
    }
    const std::string text = LevelText(level);
    if (context.line.json) {
        context.PrintJson(JsonObject().AddText("signal", text).AddNumber("signalByte", level));
    } else {
        context.out << "signal " << text << '\n';
    }
    return EXIT_OK;
}
