#include "core/URTempFolders.h"

#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URUtils.h"
#include "platform/system/FileLock.h"
#include "platform/system/PrivateFolder.h"
#include "platform/system/Shell.h"

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
    // Never destroyed: a project that outlives main (a static one) still releases its folder.
    static auto* folders = new std::map<QString, std::unique_ptr<FileLock>>;
    return *folders;
}

QString lockKey(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
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

// The per-user default root: the system's temporary folder is shared by every user.
QString DefaultTempRoot() {
    return DefaultTempFolder() + "/QMBTemp/";
}

QString DefaultTempFolder() {
    return platform::system::knownFolderPath(platform::system::KnownFolder::Cache) + "/Tavrin";
}

namespace {

QString EffectiveTempFolder(const QString& setting) {
    const QString folder = QDir::cleanPath(setting.trimmed());
    if (folder.isEmpty() || folder == QDir::cleanPath(GetWindowsTempPath()))
        return QDir::cleanPath(DefaultTempFolder());
    return folder;
}

} // namespace

bool SameTempFolder(const QString& a, const QString& b) {
    return EffectiveTempFolder(a) == EffectiveTempFolder(b);
}

void SetupTempRoot() {
    const QString stored = SettingsRecord.TempStorageFolder.text();
    const bool named = !stored.trimmed().isEmpty() &&
                       QDir::cleanPath(stored) != QDir::cleanPath(GetWindowsTempPath());
    QString error;
    if (named) {
        TempRoot = stored + "/QMBTemp/";
        if (QFileInfo(stored).isDir() && UsableTempRoot(error))
            return;
    }
    TempRoot = DefaultTempRoot();
    QDir().mkpath(QFileInfo(QDir::cleanPath(TempRoot)).absolutePath());
    UsableTempRoot(error);
}

bool UsableTempRoot(QString& error) {
    if (TempRoot.isEmpty()) {
        error = QStringLiteral("No temporary folder is set up.");
        return false;
    }
    QString reason;
    if (platform::system::makePrivateFolder(TempRoot, reason) ==
            platform::system::FolderCreation::Failed ||
        !platform::system::ensurePrivateFolder(TempRoot, reason)) {
        error = QStringLiteral("Cannot use the temporary folder %1: %2.").arg(TempRoot, reason);
        return false;
    }
    return true;
}

bool IsProjectTempFolder(const QString& path) {
    const QString root = lockKey(TempRoot);
    const QString folder = lockKey(path);
    return !TempRoot.isEmpty() && folder.startsWith(root + '/') &&
           !folder.mid(root.size() + 1).contains('/');
}

void ResetTempFolderCounter() {
    folderCounter = 1;
}

QString NewProjectTempFolder(QString* error) {
    QString reason;
    if (!UsableTempRoot(reason)) {
        if (error)
            *error = reason;
        return {};
    }
    QStringList existing;
    ListSubfolders(TempRoot, existing);
    // Creation fails on a folder that already exists, so two instances never share a number;
    // any other failure (no room, no right to write) ends the search.
    for (int number = folderCounter; number > 0; ++number) {
        const QString name = QString::number(number);
        if (existing.contains(name))
            continue;
        const auto made = platform::system::makePrivateFolder(TempRoot + name, reason);
        if (made == platform::system::FolderCreation::Exists)
            continue;
        if (made == platform::system::FolderCreation::Failed)
            break;
        folderCounter = number + 1;
        const QString folder = TempRoot + name + "/";
        LockTempFolder(folder);
        return folder;
    }
    if (error)
        *error =
            QStringLiteral("Cannot create a temporary folder in %1: %2.").arg(TempRoot, reason);
    return {};
}

void ReleaseTempFolder(const QString& path) {
    heldFolders().erase(lockKey(path));
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
    ReleaseTempFolder(path);
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
    QString error;
    if (!FirstInstance || !QFileInfo(TempRoot).isDir() || !UsableTempRoot(error))
        return {};
    const QStringList folders =
        QDir(TempRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& folder : folders) {
        const QString path = TempRoot + folder + "/";
        // A folder someone else put there is never taken for this user's work.
        if (isRecoverable(QDir(path)) && platform::system::ensurePrivateFolder(path, error) &&
            LockTempFolder(path))
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
        ReleaseTempFolder(path); // the program is closing: its own empty folders go too
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
