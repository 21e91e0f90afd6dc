#include "export/URExportDelivery.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

bool CopyOnce(const QString& source, const QString& destination) {
    const QString work = ExportCopyWorkName(destination);
    QFile::remove(work);
    // rename() replaces an older file in one step, so it is never missing meanwhile.
    if (QFile::copy(source, work) && ::rename(QFile::encodeName(work).constData(),
                                              QFile::encodeName(destination).constData()) == 0)
        return true;
    QFile::remove(work);
    return false;
}

} // namespace

QString ExportCopyWorkName(const QString& destination) {
    const QFileInfo info(destination);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".part");
}

bool CopyExportedFile(const QString& source, const QString& destination,
                      TRExportReporter& reporter) {
    const QString retryText = QStringLiteral("Cannot copy ") + QFileInfo(destination).fileName() +
                              QStringLiteral(".\rClose any programs that might be using the file "
                                             "and try again.");
    while (!CopyOnce(source, destination))
        if (!reporter.RetryCopy(retryText)) {
            reporter.ShowUndelivered(
                QStringLiteral("Cannot copy the file to the destination directory.\r") + source +
                    QStringLiteral("\r"),
                source);
            return false;
        }
    return true;
}
