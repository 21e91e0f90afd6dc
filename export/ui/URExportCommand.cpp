#include "export/ui/URExportCommand.h"

#include "core/UREditorServices.h"
#include "core/URExportForms.h"
#include "core/URProject.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "core/ui/URMessageBox.h"
#include "core/ui/URProgress.h"
#include "export/URExportRun.h"
#include "export/ui/URExport.h"
#include "export/ui/URExportSummary.h"
#include "platform/system/Shell.h"

#include <QApplication>
#include <memory>

namespace {

int Ask(const QString& text, int buttons) {
    TRMessageBox box;
    return box.Execute(text, buttons, TRMessageBox::MB_ICONERROR);
}

// The one form of a kind, or one made for this use.
template <class Form> Form& FormOr(Form* shared, std::unique_ptr<Form>& own) {
    if (shared)
        return *shared;
    own = std::make_unique<Form>();
    return *own;
}

void ShowSummary(const QString& fileName) {
    std::unique_ptr<TRExportSummary> own;
    FormOr(ExportSummary, own).Execute(fileName);
}

} // namespace

void TRExportProgress::InitSteps(const QStringList& steps) {
    FForm.InitSteps(steps.value(0), steps.value(1), steps.value(2));
}

void TRExportProgress::StartStep(int step) {
    FForm.StartStep(step);
}

void TRExportProgress::EndStep(int step) {
    FForm.EndStep(step);
}

void TRExportProgress::SetProgress(int percent) {
    FForm.SetProgress(percent);
}

bool TRExportProgress::Canceled() {
    return FForm.Canceled;
}

bool TRExportProgress::RetryCopy(const QString& text) {
    FForm.hide();
    QApplication::processEvents();
    const bool retry = Ask(text, TRMessageBox::MB_RETRYCANCEL) == TRMessageBox::IDRETRY;
    FForm.show();
    QApplication::processEvents();
    return retry;
}

void TRExportProgress::ShowUndelivered(const QString& text, const QString& path) {
    Ask(text, TRMessageBox::MB_OK);
    platform::system::showInFolder(path);
}

QString ExportErrorMessage(const QString& exportError) {
    return QStringLiteral("There was an error while exporting the video!\r") +
           (exportError.contains(QStringLiteral("8007007B"))
                ? QStringLiteral("The filename, directory name, or volume label syntax is "
                                 "incorrect.\rPlease enter a valid location.")
                : QStringLiteral("Please save your project and restart the application."));
}

void RunProjectExport(TRProject& project) {
    SaveLastStep(SettingsRecord, &project, QStringLiteral("Exporting..."));
    std::unique_ptr<TrProgressForm> ownProgress;
    TrProgressForm& progress =
        FormOr(dynamic_cast<TrProgressForm*>(InstalledProgress()), ownProgress);
    const std::int32_t playhead = project.TimePosition();
    TRExportOutcome outcome;
    progress.Execute(QStringLiteral("Exporting..."), [&] {
        TRExportProgress reporter(progress);
        outcome = ExportProjectToFile(&project, reporter);
        progress.Error = outcome.Error;
    });
    project.SetTimePosition(playhead);
    EditorServices().RepaintScene();
    if (progress.Error) {
        Ask(ExportErrorMessage(ExportError), TRMessageBox::MB_OK);
        if (!ExportError.isEmpty()) {
            QString reply;
            SendServerMessage(reply, true, 0, ExportError);
        }
        progress.Error = false;
        return;
    }
    if (!outcome.Notice.isEmpty())
        Ask(outcome.Notice, TRMessageBox::MB_OK);
    if (outcome.Delivered)
        ShowSummary(outcome.File);
}

void ExportActiveProject(bool selection, std::int32_t start, std::int32_t end) {
    TRProject* project = EditorServices().ActiveProject();
    if (!project)
        return;
    std::unique_ptr<Trexport> own;
    if (FormOr(ExportDialog, own).Execute(selection, start, end))
        RunProjectExport(*project);
}

void InstallExportCommandForms() {
    InstallExportForms({ExportActiveProject, ShowSummary});
}
