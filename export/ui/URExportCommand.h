#pragma once
// The export of the active project as the editor's commands run it: the export dialog, then
// the run under the progress form, which is the run's reporter (steps, percentage, Cancel, the
// copy's Retry/Cancel question and the box that shows where an undelivered file was left),
// then the error message or the summary.

#include "export/URExportReporter.h"

#include <QString>
#include <cstdint>

class TRProject;
class TrProgressForm;

// The progress form as the reporter of one export run.
class TRExportProgress : public TRExportReporter {
public:
    explicit TRExportProgress(TrProgressForm& form) : FForm(form) {}

    void InitSteps(const QStringList& steps) override;
    void StartStep(int step) override;
    void EndStep(int step) override;
    void SetProgress(int percent) override;
    bool Canceled() override;
    // The progress form steps aside while the question is open.
    bool RetryCopy(const QString& text) override;
    void ShowUndelivered(const QString& text, const QString& path) override;

private:
    TrProgressForm& FForm;
};

// The text shown when an export failed, for the run's error text.
QString ExportErrorMessage(const QString& exportError);

// Runs the export of `project` with its stored options under the progress form and reports
// the outcome: the error message (and the error to the vendor's diagnostics), the reason a
// wanted web page is missing, the summary of the delivered file. The playhead is kept.
void RunProjectExport(TRProject& project);

// The editor's Export Project and Export Timeline Selection: the dialog for the active
// project, then the run.
void ExportActiveProject(bool selection, std::int32_t start, std::int32_t end);

// Installs the export dialog, the run and the summary as the editor's export forms.
void InstallExportCommandForms();
