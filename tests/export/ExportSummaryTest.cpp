// The summary after an export: its text for a video, a web page and a missing file, which
// commands it offers, what Upload sends, and that View and Open Folder act only on an existing
// file.
#include "core/URDriveUpload.h"
#include "core/URSettings.h"
#include "export/ui/URExportSummary.h"
#include "tests/export/ExportFormsSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList uploaded;

class ExportSummaryForm : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        ASSERT_TRUE(QDir(dir_.path()).mkpath("Out"));
        uploaded.clear();
    }
    void TearDown() override { InstallDriveUploader(nullptr); }

    QString File(const QString& name, qint64 size) {
        const QString path = dir_.filePath("Out/" + name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_TRUE(file.resize(size));
        return path;
    }
    QString Folder() const { return dir_.filePath("Out") + '/'; }

    QTemporaryDir dir_;
    TRExportSummary summary_;
};

TEST_F(ExportSummaryForm, TextsForAVideoAPageAndAMissingFile) {
    struct Case {
        const char* name;
        QString file;
        QString expected;
        bool buttons;
    };
    const QString video = File("clip.mp4", 5 * 1024 * 1024);
    const QString page = File("My video.html", 2000);
    File("My video.mp4", 3 * 1024);
    const Case cases[] = {
        {"video", video, "Folder: \r" + Folder() + "\r\rFile:\rclip.mp4 ( Size: 5 MB )\r", true},
        {"page", page,
         "Folder: \r" + Folder() +
             "\r\rFiles:\rMy video.html ( Size: 2 KB )\rMy video.mp4 ( Size: 3 KB )\r",
         true},
        {"missing", Folder() + "gone.wav",
         "Folder: \r" + Folder() + "\r\rFile:\rgone.wav ( Size: 0 bytes )\r", false},
    };
    for (const Case& c : cases) {
        summary_.Prepare(c.file);
        EXPECT_EQ(summary_.Text().toStdString(), c.expected.toStdString()) << c.name;
        EXPECT_EQ(summary_.lbtext->text(), QString(c.expected).replace(QChar(13), QChar(10)))
            << c.name;
        EXPECT_EQ(summary_.btnView->isVisibleTo(&summary_), c.buttons) << c.name;
        EXPECT_EQ(summary_.btnOpen->isVisibleTo(&summary_), c.buttons) << c.name;
    }
    EXPECT_EQ(SettingsRecord.LastStep.text(), "ExportSummary_.wav");
    EXPECT_EQ(summary_.windowTitle(), "Tavrin");
    EXPECT_EQ(summary_.btnOpen->text(), "Open Folder");
    EXPECT_EQ(summary_.btnUpload->toolTip(), "Upload to Google Drive");
}

TEST_F(ExportSummaryForm, UploadSendsThePagesVideoAndIsOfferedOnlyWithAnUploader) {
    const QString page = File("My video.html", 10);
    summary_.Prepare(page);
    EXPECT_FALSE(summary_.btnUpload->isVisibleTo(&summary_));

    InstallDriveUploader([](const QString& file) { uploaded << file; });
    summary_.Prepare(page);
    EXPECT_TRUE(summary_.btnUpload->isVisibleTo(&summary_));
    summary_.btnUpload->click(); // the page's video is not there yet
    EXPECT_TRUE(uploaded.isEmpty());
    const QString video = File("My video.mp4", 10);
    summary_.btnUpload->click();
    const QString wav = File("voice.wav", 10);
    summary_.Prepare(wav);
    summary_.btnUpload->click();
    EXPECT_EQ(uploaded, (QStringList{video, wav}));
}

// Open Folder hands the file to the file manager (here xdg-open's stand-in, without a session
// bus) only while it exists.
TEST_F(ExportSummaryForm, OpenFolderShowsOnlyAnExistingFile) {
    const exportforms::StubFileManager manager(dir_.path());
    const QString video = File("clip.mp4", 10);
    summary_.Prepare(video);
    QFile::remove(video);
    summary_.btnOpen->click();
    EXPECT_TRUE(manager.Called(20).isEmpty());
    File("clip.mp4", 10);
    summary_.btnOpen->click();
    EXPECT_EQ(manager.Called(), dir_.filePath("Out"));
}

} // namespace
