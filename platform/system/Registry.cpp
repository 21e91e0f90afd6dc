#include "platform/system/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::system {

namespace {

QString configRoot() {
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (!xdg.isEmpty())
        return QString::fromLocal8Bit(xdg);
    return QDir::homePath() + "/.config";
}

bool isPlainName(const QString& name) {
    return !name.isEmpty() && !name.contains('/') && name != "." && name != "..";
}

bool writeAll(int fd, const QByteArray& data) {
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t count =
            ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

// A folder only the user may enter: created so, or narrowed when it already exists.
bool privateFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        return false;
    return ::chmod(QFile::encodeName(folder).constData(), S_IRWXU) == 0;
}

// Written to a temporary file created with mode 0600, then renamed over the value.
bool replacePrivately(const QString& path, const QByteArray& data) {
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written =
        ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && writeAll(fd, data) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed &&
        ::rename(temporary.constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    ::unlink(temporary.constData());
    return false;
}

} // namespace

RegistryKey::RegistryKey(const QString& keyName) : folder_(configRoot() + "/" + keyName) {}

bool RegistryKey::exists() const {
    return QDir(folder_).exists();
}

bool RegistryKey::create() const {
    return QDir().mkpath(folder_);
}

QString RegistryKey::valuePath(const QString& valueName) const {
    return folder_ + "/" + valueName;
}

std::optional<QByteArray> RegistryKey::readBinary(const QString& valueName, qint64 maxBytes) const {
    if (!isPlainName(valueName) || !QFileInfo(valuePath(valueName)).isFile())
        return std::nullopt;
    QFile file(valuePath(valueName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than allowed tells a value that is too long without reading it whole.
    QByteArray data = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || data.size() > maxBytes)
        return std::nullopt;
    return data;
}

bool RegistryKey::writeBinary(const QString& valueName, const QByteArray& data) const {
    if (!isPlainName(valueName) || !create())
        return false;
    QSaveFile file(valuePath(valueName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool RegistryKey::writePrivate(const QString& valueName, const QByteArray& data) const {
    return isPlainName(valueName) && privateFolder(folder_) &&
           replacePrivately(valuePath(valueName), data);
}

std::optional<QString> RegistryKey::readString(const QString& valueName) const {
    const auto data = readBinary(valueName);
    if (!data)
        return std::nullopt;
    return QString::fromUtf8(*data);
}

bool RegistryKey::writeString(const QString& valueName, const QString& text) const {
    return writeBinary(valueName, text.toUtf8());
}

} // namespace platform::system
