#include "core/URTempFolders.h"

#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URUtils.h"
#include "platform/system/FileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>
#include <memory>

using platform::system::FileLock;

namespace {

int folderCounter = 1;

// The locks this process holds on its project folders, by cleaned path.
std::map<QString, std::unique_ptr<FileLock>>& heldFolders() {
    static std::map<QString, std::unique_ptr<FileLock>> folders;
    return folders;
}

QString lockKey(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void releaseTempFolder(const QString& path) {
    heldFolders().erase(lockKey(path));
}

// Deletes what it can below `path`; true when something had to be kept.
bool deleteContents(const QString& path) {
    const QFileInfoList entries = QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    bool kept = false;
    for (const QFileInfo& entry : entries) {
        const QString name = entry.absoluteFilePath();
        if (entry.isDir() && !entry.isSymLink()) {
            DeleteTempFolder(name + "/");
            kept |= QFileInfo::exists(name);
            continue;
        }
        // A link is removed itself, never followed out of the folder.
        if (!entry.isSymLink())
            QFile::setPermissions(name, entry.permissions() | QFileDevice::WriteOwner);
        if (!entry.isSymLink() && IsFileLocked(name))
            kept = true;
        else
            QFile::remove(name);
    }
    return kept;
}

bool isTempRoot(const QString& path) {
    return lockKey(path) == lockKey(TempRoot);
}

bool isRecoverable(const QDir& dir) {
    for (const QString& name : RecoverableFileNames())
        if (QFileInfo::exists(dir.filePath(name)))
            return true;
    return false;
}

} // namespace

void SetupTempRoot() {
    TempRoot = SettingsRecord.TempStorageFolder.text() + "/QMBTemp/";
    QDir().mkdir(TempRoot);
    if (QFileInfo(TempRoot).isDir())
        return;
    TempRoot = GetWindowsTempPath() + "QMBTemp/";
    QDir().mkpath(TempRoot);
}

void ResetTempFolderCounter() {
    folderCounter = 1;
}

QString NewProjectTempFolder() {
    QDir().mkpath(TempRoot);
    QStringList existing;
    ListSubfolders(TempRoot, existing);
    int number = folderCounter;
    // mkdir fails on a folder that already exists, so two instances never share a number.
    while (existing.contains(QString::number(number)) ||
           !QDir().mkdir(TempRoot + QString::number(number)))
        ++number;
    folderCounter = number + 1;
    const QString folder = TempRoot + QString::number(number) + "/";
    LockTempFolder(folder);
    return folder;
}

bool LockTempFolder(const QString& path) {
    const QString key = lockKey(path);
    auto& held = heldFolders();
    if (held.count(key))
        return true;
    auto lock = std::make_unique<FileLock>(path);
    if (!lock->owned())
        return false;
    held.emplace(key, std::move(lock));
    return true;
}

void DeleteTempFolder(const QString& path) {
    releaseTempFolder(path);
    if (FileLock::isLocked(path))
        return;
    const bool kept = deleteContents(path);
    if (!kept && !isTempRoot(path))
        QDir().rmdir(path);
}

bool IsFileLocked(const QString& fileName) {
    return QFileInfo::exists(fileName) && FileLock::isLocked(fileName);
}

void ListSubfolders(const QString& path, QStringList& list) {
    list.clear();
    const QStringList names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names)
        list << name.toLower();
    list.sort();
}

const QStringList& RecoverableFileNames() {
    static const QStringList names = {"project.xml", "screen.mp4", "screen.tvf", "screen.tcf",
                                      "camera.mp4",  "camera.tvf", "mic.m4a",    "sound.m4a"};
    return names;
}

QString FindRecoveryFolder() {
    if (!FirstInstance || !QFileInfo(TempRoot).isDir())
        return {};
    const QStringList folders =
        QDir(TempRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& folder : folders) {
        const QString path = TempRoot + folder + "/";
        if (isRecoverable(QDir(path)) && LockTempFolder(path))
            return path;
    }
    return {};
}

void RemoveEmptyTempFolders() {
    if (!FirstInstance || !QFileInfo(TempRoot).isDir())
        return;
    QStringList folders;
    ListSubfolders(TempRoot, folders);
    for (const QString& folder : folders) {
        const QString path = TempRoot + folder;
        QStringList inner;
        ListSubfolders(path, inner);
        if (!inner.isEmpty())
            continue;
        releaseTempFolder(path); // the program is closing: its own empty folders go too
        if (!FileLock::isLocked(path))
            QDir().rmdir(path); // fails, as it should, while the folder holds files
    }
}

QString FilterFileNameChars(const QString& text) {
    QString result;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '.' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'))
            result += c;
    }
    return result;
}

QString LeftoverTempFoldersTag() {
    QStringList folders;
    ListSubfolders(TempRoot, folders);
    return folders.isEmpty() ? QString() : "_F" + QString::number(folders.size());
}
