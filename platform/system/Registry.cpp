#include "platform/system/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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
