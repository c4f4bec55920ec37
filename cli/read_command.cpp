// SPDX-License-Identifier: MIT
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/param_json.h"
#include "params/config_file.h"
#include "params/field_rules.h"
#include "params/parameter_transfer.h"

namespace lq3860 {

int RunRead(const ToolContext& context, ModuleAccess& access) {
    if (const int status = access.OpenSelectedModule(); status != EXIT_OK) return status;
    Session& session = access.GetSession();
    HidReport reply{};
    ModuleParamSet& downloaded = session.ModuleParams;
    if (!DownloadParams(session.link, reply, downloaded, [](int) {})) return access.FailLink(DOWNLOAD_NG_MESSAGE);
    // What Save Configuration writes right after Read para: the window shows
    // the set under its mode and channel rules and saves what it shows.
    ParamFields fields = StartFields();
    ParamsToFields(downloaded, fields);
    ModuleParamSet shown = downloaded;
    FieldsToParams(fields, shown);
    // The printed lines are a configuration file as well (--save - prints
    // them, with --json before the JSON): a text that file cannot carry is
    // refused as a save refuses it.
    const std::string& saveFile = context.line.saveFile;
    const bool print = saveFile == STANDARD_STREAM || (saveFile.empty() && !context.line.json);
    if (const char* refusal = UnsavableTextMessage(shown); print && refusal) {
        return context.Fail(ToolError::File, refusal);
    }
    if (print) {
        context.PrintModuleLines(FormatConfiguration(shown));  // escaped where a terminal shows it
    } else if (!saveFile.empty()) {
        const ConfigSaveResult saved = SaveConfigurationFile(saveFile, shown);
        if (saved.outcome != SaveOutcome::Saved) {
            return context.Fail(ToolError::File, FileMessage(saveFile, saved.message, saved.reason));
        }
    }
    if (context.line.json) access.PrintJson(ParamsJson(shown));
    return EXIT_OK;
}

}  // namespace lq3860
