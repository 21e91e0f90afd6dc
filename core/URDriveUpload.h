#pragma once
// Uploading a file to the user's cloud drive. The upload wizard (export/ui) installs itself at
// start-up; the export summary and the intro page offer their upload command only while an
// uploader is installed.

#include <QString>

// Runs the upload of one existing file modally.
using TRDriveUploader = void (*)(const QString& fileName);

void InstallDriveUploader(TRDriveUploader uploader);
// The installed uploader, or null.
TRDriveUploader InstalledDriveUploader();
