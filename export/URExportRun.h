#pragma once
// One export of a project into one media file, without a window: every frame of the chosen
// range painted through the shared device context (its state lent for the run and given back),
// handed to the encoder of the chosen format with the timeline's sound, the MP4 index moved to
// the front, and the result delivered to its destination. Progress, cancel and the copy
// questions go through a reporter. With the HTML option an MP4 gets its web page beside it.

#include "export/URExportReporter.h"

#include <QString>

class TRProject;

// The text of the last failure (empty after a success, a cancel or a copy given up).
extern QString ExportError;

// `FileName` without the characters a file name cannot hold on any system.
QString CleanExportFileName(const QString& name);

struct TRExportOutcome {
    bool Delivered = false; // the file reached its destination
    bool Error = false;     // a failure the caller must show (ExportError says which)
    QString File;           // the delivered file (the page when one was delivered)
    QString Notice;         // why a wanted page is missing (the video was still delivered)
};

TRExportOutcome ExportProjectToFile(TRProject* project, TRExportReporter& reporter);
