#include "media/UMFApi.h"

#include "platform/media/MediaPlatform.h"

#include <QStringList>

bool MFAvailable = false;

namespace {
QString missingComponents;
} // namespace

void LoadMF() {
    const platform::media::Availability availability = platform::media::probe();
    QStringList missing;
    for (const std::string& name : availability.missing)
        missing << QString::fromStdString(name);
    missingComponents = missing.join(QStringLiteral(", "));
    MFAvailable = availability.available && StartupMF() == 0;
}

QString MFMissingComponents() {
    return missingComponents;
}

int StartupMF() {
    platform::media::startupThread();
    return 0;
}

void ShutdownMF() {
    platform::media::shutdownThread();
}
