#include "platform/system/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <mutex>

namespace platform::system {

namespace {

QStandardPaths::StandardLocation locationOf(KnownFolder folder) {
    switch (folder) {
    case KnownFolder::Documents:
        return QStandardPaths::DocumentsLocation;
    case KnownFolder::Downloads:
        return QStandardPaths::DownloadLocation;
    case KnownFolder::Pictures:
        return QStandardPaths::PicturesLocation;
    case KnownFolder::Videos:
        return QStandardPaths::MoviesLocation;
    case KnownFolder::Music:
        return QStandardPaths::MusicLocation;
    case KnownFolder::Desktop:
        return QStandardPaths::DesktopLocation;
    case KnownFolder::AppData:
        return QStandardPaths::GenericDataLocation;
    case KnownFolder::Cache:
        return QStandardPaths::GenericCacheLocation;
    case KnownFolder::Temp:
        return QStandardPaths::TempLocation;
    }
    return QStandardPaths::TempLocation;
}

std::mutex openerMutex;
UrlOpener installedOpener;

} // namespace

QString knownFolderPath(KnownFolder folder) {
    QString path = QStandardPaths::writableLocation(locationOf(folder));
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool openUrl(const QString& url) {
    UrlOpener opener;
    {
        std::lock_guard lock(openerMutex);
        opener = installedOpener;
    }
    return opener ? opener(url) : QDesktopServices::openUrl(QUrl(url));
}

void setUrlOpener(UrlOpener opener) {
    std::lock_guard lock(openerMutex);
    installedOpener = std::move(opener);
}

bool openPath(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::cleanPath(path)));
}

} // namespace platform::system
