#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "platform/system/FileLock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TempFolders : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        TempRoot = dir.path() + "/QMBTemp/";
        QDir().mkpath(TempRoot);
        FirstInstance = true;
        ResetTempFolderCounter();
    }
    void TearDown() override { FirstInstance = true; }

    QString folder(const QString& name) const { return TempRoot + name + "/"; }
    void makeFolder(const QString& name, const QStringList& files = {}) const {
        QDir().mkpath(folder(name));
        for (const QString& file : files)
            writeFile(folder(name) + file);
    }
    static void writeFile(const QString& path, const QByteArray& data = "x") {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(data);
    }

    QTemporaryDir dir;
};

// Another Tavrin working in a project folder of its own, in a second process.
class OtherInstance {
public:
    OtherInstance(const QString& root, bool withProject) {
        process.start(TEMPFOLDER_PROBE, {root, withProject ? "project" : "empty"});
        process.waitForReadyRead(10000);
        folder = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~OtherInstance() { end(); }
    void end() {
        process.closeWriteChannel();
        process.waitForFinished(10000);
    }
    QProcess process;
    QString folder;
};

} // namespace

TEST_F(TempFolders, NumbersSkipExistingFoldersAndAreNeverReusedInARun) {
    makeFolder("1");
    makeFolder("2");
    makeFolder("3");
    const QString first = NewProjectTempFolder();
    EXPECT_EQ(first, folder("4"));
    EXPECT_TRUE(QDir(first).exists());
    DeleteTempFolder(first);
    EXPECT_FALSE(QDir(first).exists());
    EXPECT_EQ(NewProjectTempFolder(), folder("5"));

    ResetTempFolderCounter(); // a new run starts at 1 and skips what still exists
    EXPECT_EQ(NewProjectTempFolder(), folder("4"));
}

TEST_F(TempFolders, NewFolderIsCreatedWhenTheRootIsMissing) {
    QDir(TempRoot).removeRecursively();
    EXPECT_EQ(NewProjectTempFolder(), folder("1"));
    EXPECT_TRUE(QDir(folder("1")).exists());
}

TEST_F(TempFolders, RecoveryFolderIsTheFirstInTextOrder) {
    makeFolder("2", {"project.xml"});
    makeFolder("10", {"sound.m4a"});
    EXPECT_EQ(FindRecoveryFolder(), folder("10"));
}

TEST_F(TempFolders, OnlyProjectsAndRecordedTracksMakeAFolderRecoverable) {
    for (const QString& name : RecoverableFileNames()) {
        QDir(TempRoot).removeRecursively();
        makeFolder("1", {name});
        EXPECT_EQ(FindRecoveryFolder(), folder("1")) << name.toStdString();
        DeleteTempFolder(folder("1")); // also gives the folder's lock back
    }
    QDir(TempRoot).removeRecursively();
    makeFolder("1", {"project_thumbnail.jpg", "project.qmb", "tts.wav"});
    EXPECT_EQ(FindRecoveryFolder(), "");
}

TEST_F(TempFolders, SecondInstanceNeitherRecoversNorRemoves) {
    makeFolder("1", {"project.xml"});
    makeFolder("2");
    FirstInstance = false;
    EXPECT_EQ(FindRecoveryFolder(), "");
    RemoveEmptyTempFolders();
    EXPECT_TRUE(QDir(folder("2")).exists());
}

TEST_F(TempFolders, DeleteRemovesReadOnlyFilesAndNestedFolders) {
    makeFolder("1/sub", {"a.bin"});
    writeFile(folder("1") + "readonly.mp4");
    QFile::setPermissions(folder("1") + "readonly.mp4", QFileDevice::ReadOwner);
    QDir(folder("1")).mkdir("emptysub");
    DeleteTempFolder(folder("1"));
    EXPECT_FALSE(QDir(folder("1")).exists());
    EXPECT_TRUE(QDir(TempRoot).exists());
}

TEST_F(TempFolders, LockedFileIsSparedWithTheFoldersAboveIt) {
    makeFolder("1/sub/deeper", {"in-use.mp4"});
    writeFile(folder("1") + "free.mp4");
    writeFile(folder("1/sub") + "free.bin");
    platform::system::FileLock lock(folder("1/sub/deeper") + "in-use.mp4");
    ASSERT_TRUE(lock.owned());
    EXPECT_TRUE(IsFileLocked(folder("1/sub/deeper") + "in-use.mp4"));
    EXPECT_FALSE(IsFileLocked(folder("1") + "free.mp4"));
    EXPECT_FALSE(IsFileLocked(folder("1") + "missing.mp4"));

    DeleteTempFolder(folder("1"));
    EXPECT_TRUE(QFile::exists(folder("1/sub/deeper") + "in-use.mp4"));
    EXPECT_FALSE(QFile::exists(folder("1") + "free.mp4"));
    EXPECT_FALSE(QFile::exists(folder("1/sub") + "free.bin"));

    lock.release();
    DeleteTempFolder(folder("1"));
    EXPECT_FALSE(QDir(folder("1")).exists());
}

TEST_F(TempFolders, DeleteNeverFollowsALinkOutOfTheFolder) {
    QDir().mkpath(dir.path() + "/outside");
    writeFile(dir.path() + "/outside/keep.txt");
    makeFolder("1");
    ASSERT_TRUE(QFile::link(dir.path() + "/outside", folder("1") + "link"));
    DeleteTempFolder(folder("1"));
    EXPECT_FALSE(QDir(folder("1")).exists());
    EXPECT_TRUE(QFile::exists(dir.path() + "/outside/keep.txt"));
}

TEST_F(TempFolders, TempRootItselfIsNeverRemoved) {
    DeleteTempFolder(TempRoot);
    EXPECT_TRUE(QDir(TempRoot).exists());
}

TEST_F(TempFolders, EmptyFoldersAreRemovedAtExitAndOthersStay) {
    makeFolder("1");
    makeFolder("2", {"image.png"});
    makeFolder("3/inner");
    NewProjectTempFolder(); // this run's own empty folder goes too
    RemoveEmptyTempFolders();
    EXPECT_FALSE(QDir(folder("1")).exists());
    EXPECT_TRUE(QDir(folder("2")).exists());
    EXPECT_TRUE(QDir(folder("3")).exists());
    EXPECT_FALSE(QDir(folder("4")).exists());
}

TEST_F(TempFolders, LiveFolderOfAnotherInstanceIsLeftAlone) {
    OtherInstance other(TempRoot, true);
    ASSERT_EQ(other.folder, folder("1"));
    OtherInstance empty(TempRoot, false);
    ASSERT_EQ(empty.folder, folder("2"));

    EXPECT_EQ(FindRecoveryFolder(), "");
    RemoveEmptyTempFolders();
    EXPECT_TRUE(QDir(empty.folder).exists());
    DeleteTempFolder(other.folder);
    EXPECT_TRUE(QFile::exists(other.folder + "project.xml"));
    // This run numbers past the folders of the other instance.
    EXPECT_EQ(NewProjectTempFolder(), folder("3"));

    other.end(); // the other instance is gone (as after a crash): its project is recoverable
    EXPECT_EQ(FindRecoveryFolder(), folder("1"));
}

TEST_F(TempFolders, RecoveryFolderIsAdoptedOnlyOnce) {
    makeFolder("1", {"project.xml"});
    const QString found = FindRecoveryFolder();
    ASSERT_EQ(found, folder("1"));
    EXPECT_TRUE(platform::system::FileLock::isLocked(found));
    DeleteTempFolder(found);
    EXPECT_FALSE(platform::system::FileLock::isLocked(found));
}

TEST_F(TempFolders, RootFallsBackToTheSystemTemporaryFolder) {
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    SettingsRecord.TempStorageFolder.setText(dir.path() + "/missing-drive/folder");
    SetupTempRoot();
    EXPECT_EQ(QDir::cleanPath(TempRoot), QDir::cleanPath(dir.path() + "/QMBTemp"));
    EXPECT_TRUE(QDir(TempRoot).exists());

    SettingsRecord.TempStorageFolder.setText(dir.path() + "/storage/");
    QDir().mkpath(dir.path() + "/storage");
    SetupTempRoot();
    EXPECT_EQ(QDir::cleanPath(TempRoot), QDir::cleanPath(dir.path() + "/storage/QMBTemp"));
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

TEST(TempFolderNames, FilterKeepsDotsDigitsAndAsciiLetters) {
    EXPECT_EQ(FilterFileNameChars("My Video - Final (2).mp4"), "MyVideoFinal2.mp4");
    EXPECT_EQ(FilterFileNameChars("Été_ü-9.MOV"), "t9.MOV");
    EXPECT_EQ(FilterFileNameChars(""), "");
}

TEST_F(TempFolders, LeftoverTagCountsTheFolders) {
    EXPECT_EQ(LeftoverTempFoldersTag(), "");
    makeFolder("1");
    makeFolder("7");
    writeFile(TempRoot + "loose.txt");
    EXPECT_EQ(LeftoverTempFoldersTag(), "_F2");
}
