// SPDX-License-Identifier: MIT
#include <string>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "device/module_link.h"
#include "device/terminal_text.h"

namespace lq3860 {

namespace {

// The window's date text ends in one blank; the tool prints it without.
std::string WithoutTrailingBlank(std::string text) {
    if (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

int RunInfo(const ToolContext& context, ModuleAccess& access) {
    if (const int status = access.OpenSelectedModule(); status != EXIT_OK) return status;
    HidReport reply{};
    FirmwareInfo info;
    const ReplyOutcome outcome = access.GetSession().link.QueryFirmware(reply, info);
    // "HID_Write Err", "HID_Read Err" or "NG"
    if (outcome != ReplyOutcome::Accepted) return access.FailLink(access.LastDebugText());
    const std::string date = WithoutTrailingBlank(info.dateText);
    if (context.line.json) {
        // The module's 8-bit texts, each byte one character, as the SSID and key.
        access.PrintJson(JsonObject().AddLatin1Text("version", info.versionText).AddLatin1Text("date", date));
    } else {
        // The texts are the module's bytes.
        context.out << "version " << EscapeForTerminal(info.versionText) << '\n'
                    << "date " << EscapeForTerminal(date) << '\n';
    }
    return EXIT_OK;
}

}  // namespace lq3860
