#pragma once
// The export's forms as the editor's commands reach them: the export of the active project
// (the export dialog, then the run under the progress form, its messages and the summary) and
// the summary of a file the editor produced itself. The export forms install them at start-up;
// without them the commands do nothing.

#include <QString>
#include <cstdint>
#include <functional>

struct TRExportForms {
    // With `selection` the dialog starts on the time range `start`..`end` (ms).
    std::function<void(bool selection, std::int32_t start, std::int32_t end)> ExportProject;
    std::function<void(const QString& fileName)> ShowSummary;
};

// Installs the forms (empty members: back to doing nothing).
void InstallExportForms(TRExportForms forms);
const TRExportForms& InstalledExportForms();
