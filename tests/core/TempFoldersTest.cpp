#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "platform/system/FileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <unistd.h>

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
    void TearDown() override {
        FirstInstance = true;
        TempRoot.clear();
    }

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
    OtherInstance(const QString& root, bool withProject)
        : OtherInstance(root, QString(withProject ? "project" : "empty")) {}
    OtherInstance(const QString& root, const QString& mode) {
        process.start(TEMPFOLDER_PROBE, {root, mode});
        process.waitForReadyRead(30000);
        folder = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~OtherInstance() { end(); }
    // A clean close: the input ends and the program leaves on its own.
    void end() {
        process.closeWriteChannel();
        process.waitForFinished(30000);
    }
    // A crash: the program is gone without closing anything.
    void crash() {
        process.kill();
        process.waitForFinished(30000);
    }
    QProcess process;
    QString folder;
};

bool RunAsRoot() {
    return ::geteuid() == 0;
}

bool RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A small file system of the test's own (root only), unmounted at the end.
class SmallDisk {
public:
    SmallDisk(const QString& folder, const QString& options) : folder_(folder) {
        QDir().mkpath(folder);
        mounted_ = RunTool("mount", {"-t", "tmpfs", "-o", options, "tmpfs", folder});
    }
    ~SmallDisk() {
        if (mounted_)
            RunTool("umount", {folder_});
    }
    bool mounted() const { return mounted_; }

private:
    QString folder_;
    bool mounted_ = false;
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

// The shared temporary folder is readable by every user: the root lives in the user's cache
// unless the settings name a folder of the user's choice.
TEST_F(TempFolders, RootIsPrivateToTheUser) {
    const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path() + "/cache"));
    const QString cacheRoot = dir.path() + "/cache/Tavrin/QMBTemp";
    const QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

    SettingsRecord.TempStorageFolder.setText(GetWindowsTempPath());
    SetupTempRoot();
    EXPECT_EQ(QDir::cleanPath(TempRoot), cacheRoot) << "the system's shared folder is not used";
    EXPECT_EQ(QFileInfo(cacheRoot).permissions() & 0x7077, ownerOnly);
    const QString project = NewProjectTempFolder();
    EXPECT_EQ(QFileInfo(project).permissions() & 0x7077, ownerOnly);
    DeleteTempFolder(project);

    SettingsRecord.TempStorageFolder.setText(dir.path() + "/missing-drive/folder");
    SetupTempRoot();
    EXPECT_EQ(QDir::cleanPath(TempRoot), cacheRoot);

    SettingsRecord.TempStorageFolder.setText(dir.path() + "/storage/");
    QDir().mkpath(dir.path() + "/storage");
    SetupTempRoot();
    EXPECT_EQ(QDir::cleanPath(TempRoot), QDir::cleanPath(dir.path() + "/storage/QMBTemp"));
    EXPECT_EQ(QFileInfo(TempRoot).permissions() & 0x7077, ownerOnly);
    if (savedCache.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", savedCache);
}

// The editor's project folder in a second process, for every state the root can be in: the
// right error when no folder can be made (never an endless search), and the right recovery
// offer after the program closed cleanly or crashed.
TEST_F(TempFolders, ProjectFolderCasesAcrossProcesses) {
    enum class Outcome { Error, NoRecovery, Recovery };
    struct FolderCase {
        const char* name;
        bool needsRoot;
        // Prepares the root; false when the machine cannot give that state.
        std::function<bool(std::unique_ptr<SmallDisk>&)> prepare;
        Outcome outcome;
        const char* error;
    };
    const QString base = dir.path();
    const FolderCase cases[] = {
        {"clean close", false, [](auto&) { return true; }, Outcome::NoRecovery, ""},
        {"crash before close", false, [](auto&) { return true; }, Outcome::Recovery, ""},
        {"root below a file", false,
         [&](auto&) {
             writeFile(base + "/plain-file");
             TempRoot = base + "/plain-file/QMBTemp/";
             return true;
         },
         Outcome::Error, "Cannot use the temporary folder"},
        {"root of another user", true,
         [&](auto&) {
             makeFolder("1", {"project.xml"}); // planted: must never be adopted
             return RunTool("chown", {"-R", "65534:65534", TempRoot});
         },
         Outcome::Error, "owned by another user"},
        {"read-only root", true,
         [&](std::unique_ptr<SmallDisk>& disk) {
             disk = std::make_unique<SmallDisk>(base + "/ro", "size=256k");
             TempRoot = base + "/ro/QMBTemp/";
             const auto ownerOnly =
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
             return disk->mounted() && QDir().mkdir(TempRoot, ownerOnly) &&
                    RunTool("mount", {"-o", "remount,ro", base + "/ro"});
         },
         Outcome::Error, "Cannot create a temporary folder in"},
        {"full disk", true,
         [&](std::unique_ptr<SmallDisk>& disk) {
             disk = std::make_unique<SmallDisk>(base + "/full", "size=256k,nr_inodes=8");
             TempRoot = base + "/full/QMBTemp/";
             if (!disk->mounted() || !QDir().mkdir(TempRoot))
                 return false;
             for (int i = 0;
                  QFile(TempRoot + QString::number(i) + ".fill").open(QIODevice::WriteOnly); ++i) {
             }
             return true;
         },
         Outcome::Error, "Cannot create a temporary folder in"},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempRoot = base + "/" + c.name + "/QMBTemp/";
        QDir().mkpath(TempRoot);
        std::unique_ptr<SmallDisk> disk;
        if ((c.needsRoot && !RunAsRoot()) || !c.prepare(disk)) {
            std::cout << "[ SKIPPED  ] " << c.name << ": needs root and tmpfs" << std::endl;
            continue;
        }
        OtherInstance editor(TempRoot, QStringLiteral("editor"));
        if (c.outcome == Outcome::Error) {
            EXPECT_TRUE(editor.folder.startsWith("error: ")) << editor.folder.toStdString();
            EXPECT_TRUE(editor.folder.contains(c.error)) << editor.folder.toStdString();
            EXPECT_EQ(editor.folder.count(c.error), 2) << "the save reports it too";
            editor.end();
            EXPECT_EQ(FindRecoveryFolder(), "");
            continue;
        }
        ASSERT_TRUE(editor.folder.startsWith(TempRoot)) << editor.folder.toStdString();
        ASSERT_TRUE(QFile::exists(editor.folder + "project.xml"));
        if (c.outcome == Outcome::Recovery)
            editor.crash();
        else
            editor.end();
        EXPECT_EQ(FindRecoveryFolder(), c.outcome == Outcome::Recovery ? editor.folder : "");
        EXPECT_EQ(QDir(editor.folder).exists(), c.outcome == Outcome::Recovery);
        if (c.outcome == Outcome::Recovery)
            DeleteTempFolder(editor.folder);
    }
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
