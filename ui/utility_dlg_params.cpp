// SPDX-License-Identifier: MIT
// The main window's parameter commands: Read para, Write para and the
// configuration file, on the shared procedures of the parameter layer.
#include <QLineEdit>
#include <QProgressBar>

#include "params/config_file.h"
#include "params/parameter_transfer.h"
#include "ui/ui_messages.h"
#include "ui/utility_dlg.h"

namespace lq3860 {

void CUtilityDlg::SetProgress(int position) {
    progressBar_->setValue(position);
    // The procedure blocks the event loop, so the bar is painted right away.
    progressBar_->repaint();
}

void CUtilityDlg::OnReadPara() {
    progressBar_->setRange(0, 1000);
    progressBar_->show();
    SetProgress(0);
    const bool ok = DownloadParams(session_.link, replyReport_, session_.ModuleParams,
                                   [this](int position) { SetProgress(position); });
    progressBar_->hide();
    if (ok) {
        ShowParams();
        session_.Services().WindowMessage(DOWNLOAD_OK_MESSAGE);
    } else {
        session_.Services().WindowMessage(DOWNLOAD_NG_MESSAGE);
    }
}

void CUtilityDlg::OnWritePara() {
    // The key is judged before anything is sent, so a refused key never
    // leaves the module waiting for parameter reports.
    ValidateKey();
    if (keyInvalid_) return;
    // An interrupt meanwhile ends the window only after the last report.
    const UploadOutcome outcome = UploadParams(
        session_.link, replyReport_, [this]() -> const ModuleParamSet& { return CollectUpload(); },
        [this](int position) { SetProgress(position); });
    progressBar_->hide();
    session_.Services().WindowMessage(outcome == UploadOutcome::Sent ? UPLOAD_OK_MESSAGE : UPLOAD_NG_MESSAGE);
}

const ModuleParamSet& CUtilityDlg::CollectUpload() {
    // A refused over-long text is reported; what fits is still sent.
    TransferFromControls();
    progressBar_->setRange(0, 1000);
    progressBar_->show();
    SetProgress(0);
    ParamFields fields = ReadFields();
    ModuleParamSet& params = session_.ModuleParams;
    CollectSelections(fields, params);
    CollectSsid(fields, params);
    CollectKey(fields, params);
    SetProgress(200);
    CollectMac(fields, params);
    WriteMacEdits(fields);  // emptied edits now show "FF"
    SetProgress(250);
    return params;
}

void CUtilityDlg::OnSaveConfiguration() {
    TransferFromControls();
    // Collected into a copy: a refused or failed save leaves the parameter set
    // and the edits as they were.
    ModuleParamSet saved = session_.ModuleParams;
    ParamFields fields = ReadFields();
    FieldsToParams(fields, saved);
    // A text the file cannot carry is refused before a file name is asked for.
    if (const char* refusal = UnsavableTextMessage(saved)) {
        session_.Services().WindowMessage(refusal);
        return;
    }
    const std::string path = session_.Services().AskSaveFileName(SAVE_FILTER, SAVE_SUFFIX);
    if (path.empty()) return;
    const ConfigSaveResult result = SaveConfigurationFile(path, saved);
    if (result.outcome != SaveOutcome::Saved) {
        session_.Services().WindowMessage(result.message);
        return;
    }
    session_.ModuleParams = saved;
    WriteMacEdits(fields);
}

void CUtilityDlg::OnLoadConfiguration() {
    const std::string path = session_.Services().AskOpenFileName(LOAD_FILTER);
    if (path.empty()) return;
    const ConfigLoadResult result = LoadConfigurationFile(path, session_.ModuleParams);
    if (!result.ok) {
        session_.Services().WindowMessage(result.message);
        return;
    }
    ShowParams();
}

}  // namespace lq3860
