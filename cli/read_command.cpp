#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/param_json.h"
#include "params/config_file.h"
#include "params/field_rules.h"
#include "params/parameter_transfer.h"

int RunRead(const ToolContext& context, ModuleAccess& access) {
    LinkState link;
    if (const int status = access.OpenSelectedModule(link); status != EXIT_OK) return status;
    HidReport reply{};
    ModuleParamSet downloaded;
    if (!DownloadParams(link, reply, downloaded, [](int) {})) {
        context.Message(DOWNLOAD_NG_MESSAGE);
        return EXIT_MODULE_FAILURE;
    }
    // What Save Configuration writes right after Read para: the window shows
    // the set under its mode and channel rules and saves what it shows.
    ParamFields fields = StartFields();
    ShowParams(downloaded, fields);
    ModuleParamSet shown = downloaded;
    CollectParams(fields, shown);
    const std::string text = FormatConfiguration(shown);

    if (!context.line.saveFile.empty() && !WriteFileAtomically(context.line.saveFile, text)) {
        context.Message(SAVE_FAILURE_MESSAGE);
        return EXIT_MODULE_FAILURE;
    }
    if (context.line.json) {
        context.PrintJson(ParamsJson(shown));
    } else if (context.line.saveFile.empty()) {
        context.out << text;
    }
    return EXIT_OK;
}
