// Whole export runs of a small project, checked with ffprobe and a recording reporter.
#include "core/URProject.h"
#include "core/URSettings.h"
#include "export/URExportDelivery.h"
#include "export/URExportRun.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectsRegistry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RecordingReporter : public TRExportReporter {
public:
    int CancelAtPoll = -1; // the poll that answers "stop"
    int Polls = 0;
    QList<int> Progress;
    QStringList Steps;

    void InitSteps(const QStringList& steps) override { Steps = steps; }
    void StartStep(int) override {}
    void EndStep(int) override {}
    void SetProgress(int percent) override { Progress << percent; }
    bool Canceled() override { return Polls++ == CancelAtPoll; }
    bool RetryCopy(const QString&) override { return false; }
    void ShowUndelivered(const QString&, const QString&) override {}
};

QString Probe(const QString& file, const QStringList& entries) {
    QProcess ffprobe;
    ffprobe.start("ffprobe",
                  QStringList{"-v", "error", "-count_frames", "-select_streams", "v:0",
                              "-show_entries", entries.join(','), "-of", "csv=p=0", file});
    ffprobe.waitForFinished(60000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed();
}

class ExportRun : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        InitDX();
        project_ = std::make_unique<TRProject>();
        ASSERT_TRUE(QDir(dir_.path()).mkpath("work"));
        ASSERT_TRUE(QDir(dir_.path()).mkpath("out"));
        project_->TempFolder = dir_.filePath("work") + '/';
        project_->SetProjectSize(65, 49);
        project_->SetTimeEnd(1000);
        TRProjectExportOptions& options = project_->ExportOptions();
        options.FileName = QStringLiteral("clip: one.mp4");
        options.FilePath = dir_.filePath("out") + '/';
        options.FramePS = 10;
    }
    QString Delivered() const { return dir_.filePath("out/clip one.mp4"); }
    QStringList WorkFiles() const { return QDir(dir_.filePath("work")).entryList(QDir::Files); }

    QTemporaryDir dir_;
    std::unique_ptr<TRProject> project_; // made once the kinds are registered
    RecordingReporter reporter_;
};

TEST_F(ExportRun, DeliversEveryFrameAtAnEvenSizeWithTheIndexFirst) {
    const TRExportOutcome outcome = ExportProjectToFile(project_.get(), reporter_);
    ASSERT_TRUE(outcome.Delivered) << ExportError.toStdString();
    EXPECT_FALSE(outcome.Error);
    EXPECT_EQ(outcome.File, Delivered());
    EXPECT_EQ(Probe(Delivered(), {"stream=width", "height", "nb_read_frames"}), "66,50,10");
    QFile file(Delivered());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(64);
    const int typeSize = int(uint8_t(head[2])) << 8 | int(uint8_t(head[3]));
    EXPECT_EQ(head.mid(typeSize + 4, 4), "moov");
    EXPECT_EQ(reporter_.Steps,
              (QStringList{"Preparing audio...", "Building video...", "Copying file..."}));
    EXPECT_EQ(reporter_.Progress.front(), 0);
    EXPECT_EQ(reporter_.Progress.back(), 100);
}

TEST_F(ExportRun, CancelStopsWithinTenFramesAndLeavesNothing) {
    project_->SetTimeEnd(60000);
    reporter_.CancelAtPoll = 1;
    const TRExportOutcome outcome = ExportProjectToFile(project_.get(), reporter_);
    EXPECT_FALSE(outcome.Delivered);
    EXPECT_FALSE(outcome.Error);
    EXPECT_EQ(reporter_.Polls, 2);
    EXPECT_FALSE(QFile::exists(Delivered()));
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(' ').toStdString();
}

TEST_F(ExportRun, FailuresAreReportedAndKeepAnOlderFile) {
    QFile older(Delivered());
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older");
    older.close();
    project_->ExportOptions().Format = 11;
    TRExportOutcome outcome = ExportProjectToFile(project_.get(), reporter_);
    EXPECT_TRUE(outcome.Error);
    EXPECT_EQ(ExportError, "Cannot create the encoder [11,65x49]");

    project_->ExportOptions().Format = 1;
    project_->ExportOptions().VideoSize = 1;
    project_->ExportOptions().Width = 100000;
    project_->ExportOptions().Height = 100000;
    outcome = ExportProjectToFile(project_.get(), reporter_);
    EXPECT_TRUE(outcome.Error);
    EXPECT_EQ(ExportError, "Cannot create the bitmaps [1,100000x100000]");

    QFile kept(Delivered());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "older");
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(' ').toStdString();
}

} // namespace
