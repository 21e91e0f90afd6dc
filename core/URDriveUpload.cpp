#include "core/URDriveUpload.h"

namespace {

TRDriveUploader installedUploader = nullptr;

} // namespace

void InstallDriveUploader(TRDriveUploader uploader) {
    installedUploader = uploader;
}

TRDriveUploader InstalledDriveUploader() {
    return installedUploader;
}
