#include "platform/system/Shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
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

// The file manager's answer: the file shown, on the session bus of this moment (a connection of
// its own, so a bus address set later is honoured).
bool showItemsOnSessionBus(const QString& file) {
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty())
        return false;
    const QString name = QStringLiteral("tavrin-show-in-folder");
    bool shown = false;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, name);
        if (bus.isConnected()) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.FileManager1"),
                QStringLiteral("/org/freedesktop/FileManager1"),
                QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
            call << QStringList{QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)}
                 << QString();
            shown = bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return shown;
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

bool showInFolder(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists())
        return false;
    const QString path = info.absoluteFilePath();
    return showItemsOnSessionBus(path) ||
           QProcess::startDetached(QStringLiteral("xdg-open"), {info.absolutePath()});
}

} // namespace platform::system
