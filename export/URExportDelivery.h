#pragma once
// Delivers a finished export: the file is copied beside the destination under a temporary
// name and renamed over it only when the copy is complete, so a failed or given-up copy never
// leaves a partial file and keeps an older file of that name intact. While the copy fails the
// reporter is asked whether to retry; when it gives up, it is shown where the file is.

#include "export/URExportReporter.h"

#include <QString>

// True when `destination` holds a complete copy of `source`.
bool CopyExportedFile(const QString& source, const QString& destination,
                      TRExportReporter& reporter);

// The temporary name a copy to `destination` is written under.
QString ExportCopyWorkName(const QString& destination);
