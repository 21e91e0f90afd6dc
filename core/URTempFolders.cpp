#include "core/URTempFolders.h"

#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URUtils.h"

#include <QDir>
#include <QFileInfo>

void SetupTempRoot() {
    TempRoot = SettingsRecord.TempStorageFolder.text() + "/QMBTemp/";
    QDir().mkdir(TempRoot);
    if (QFileInfo(TempRoot).isDir())
        return;
    TempRoot = GetWindowsTempPath() + "QMBTemp/";
    QDir().mkpath(TempRoot);
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
        const QDir dir(TempRoot + folder);
        for (const QString& name : RecoverableFileNames())
            if (QFileInfo::exists(dir.filePath(name)))
                return TempRoot + folder + "/";
    }
    return {};
}
