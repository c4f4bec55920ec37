// SPDX-License-Identifier: MIT
#include <string>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "device/hid_device_table.h"
#include "device/module_label.h"
#include "device/terminal_text.h"

namespace lq3860 {

int RunList(const ToolContext& context, ModuleAccess& access) {
    const int count = access.Scan();
    HidDeviceTable& devices = access.GetSession().Devices();
    JsonArray modules;
    for (int index = 0; index < count; ++index) {
        const std::string label = ModuleLabel(devices, index);
        const char* path = devices.Path(index);
        const std::string pathText = path != nullptr ? path : "";
        if (context.line.json) {
            modules.Add(ModuleJson(index, label, pathText));
        } else {
            // Escaped, a field holds no tab or line end and nothing a terminal obeys.
            context.out << index << '\t' << EscapeForTerminal(label) << '\t' << EscapeControlsForTerminal(pathText)
                        << '\n';
        }
    }
    if (context.line.json) context.PrintJson(JsonObject().AddArray("modules", modules));
    access.ReportAccessDenied();
    access.AllListed();  // the slots listed are all there are to pick from: still a success
    return EXIT_OK;
}

}  // namespace lq3860
