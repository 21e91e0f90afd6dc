#pragma once
// The project's caption objects as SubRip files.

#include "core/URCaptionFile.h"

class TRProject;

// {TimeStart, TimeEnd, text} of every caption object with a caption group, in list order.
TRCaptionRecords CollectProjectCaptions(TRProject& project);
// Writes the project's captions to the file; throws std::runtime_error when it cannot.
void ExportProjectCaptions(TRProject& project, const QString& fileName);
