// SPDX-License-Identifier: MIT
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/param_json.h"
#include "params/config_file.h"
#include "params/field_rules.h"
#include "params/parameter_transfer.h"

namespace lq3860 {

// Sends what the window sends after Load Configuration of the file followed
// by Write para. Everything that can refuse the input runs before the module
// is touched, so a bad file or a refused key sends nothing.
int RunWrite(const ToolContext& context, ModuleAccess& access) {
    WriteRequest request;
    if (const int status = PrepareWrite(context, request); status != EXIT_OK) return status;
    return SendWrite(context, access, request);
}

int PrepareWrite(const ToolContext& context, WriteRequest& request) {
    const std::string& file = context.line.configFile;
    const ConfigLoadResult loaded =
        file == STANDARD_STREAM ? LoadConfigurationInput(request.params) : LoadConfigurationFile(file, request.params);
    if (!loaded.ok) {
        context.Message(FileMessage(context.line.configFile, loaded.message, loaded.reason));
        return EXIT_FILE;
    }
    request.fields = StartFields();
    ParamsToFields(request.params, request.fields);
    // What the rules change of the file is said, as the window refuses an
    // SSID it cannot send whole and then sends its first 20 characters.
    ModuleParamSet sent = request.params;
    ParamFields collected = request.fields;
    FieldsToParams(collected, sent);
    const std::vector<std::string> changes = RuleChanges(request.params, sent);
    for (const std::string& change : changes) context.Message(change);

    const KeyCheck key = CheckKeyLength(request.fields.encryptionSelection, request.fields.keyText.size());
    if (key.verdict == KeyVerdict::Refused) {
        context.Message(key.message);
        return EXIT_FILE;
    }
    if (context.line.strict && !changes.empty()) {
        context.Message("--strict: the file is not written as it stands; nothing was sent.");
        return EXIT_STRICT;
    }
    return EXIT_OK;
}

int SendWrite(const ToolContext& context, ModuleAccess& access, const WriteRequest& request) {
    if (const int status = access.OpenSelectedModule(); status != EXIT_OK) return status;
    return WriteOpenModule(context, access, request);
}

namespace {

// "field, field": the names of the fields that differ, never their values.
std::string FieldList(const std::vector<std::string>& fields) {
    std::string list;
    for (const std::string& field : fields) list += (list.empty() ? "" : ", ") + field;
    return list;
}

}  // namespace

int WriteOpenModule(const ToolContext& context, ModuleAccess& access, const WriteRequest& request) {
    Session& session = access.GetSession();
    ModuleParamSet& params = session.ModuleParams;
    params = request.params;
    ParamFields fields = request.fields;  // collecting fills empty MAC fields
    HidReport reply{};
    const UploadOutcome outcome = UploadParams(
        session.link, reply,
        [&]() -> const ModuleParamSet& {
            FieldsToParams(fields, params);
            return params;
        },
        [](int) {});
    if (outcome != UploadOutcome::Sent) return access.FailLink(UPLOAD_NG_MESSAGE);
    if (const int status = access.MemoryStatus(); status != EXIT_OK) return status;
    JsonObject json = ParamsJson(params).AddText("result", UPLOAD_OK_MESSAGE);
    int status = EXIT_OK;
    if (context.line.verify) {
        // Read back into a set of its own: what the module holds now.
        ModuleParamSet held;
        if (!DownloadParams(session.link, reply, held, [](int) {}))
            return access.FailLink(std::string(UPLOAD_OK_MESSAGE) +
                                   ", but reading it back failed: " + DOWNLOAD_NG_MESSAGE);
        const std::vector<std::string> differing = DifferingFields(params, held);
        JsonArray names;
        for (const std::string& field : differing) names.AddText(field);
        json.AddBool("verified", differing.empty()).AddArray("differing", names);
        if (!differing.empty()) {
            status = context.Fail(ToolError::NotVerified,
                                  "Verify failed: the module holds other values for " + FieldList(differing));
        }
    }
    if (context.line.json) {
        access.PrintJson(json);
    } else if (status == EXIT_OK) {
        context.out << UPLOAD_OK_MESSAGE << (context.line.verify ? ", verified" : "") << '\n';
    }
    return status;
}

}  // namespace lq3860
