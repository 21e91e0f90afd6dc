// Whole export runs of a small project, checked with ffprobe and a recording reporter.
#include "export/URExportDelivery.h"
#include "tests/export/ExportTestProject.h"

namespace {

using exporttest::Probe;

class ExportRun : public exporttest::ExportProject {};

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

struct OrderCase {
    std::int32_t mode, speed;
    std::vector<int> columns; // of the square, frame by frame
};

// The passes of every mode at half, normal and double speed over a 1 s project at 10 fps, seen
// through a square that moves 1 pixel per 10 ms.
TEST_F(ExportRun, FramesComeInTheOrderOfTheModeAndSpeed) {
    project_->SetProjectSize(128, 8);
    project_->AddObject(std::make_unique<exporttest::MovingSquare>(project_.get()));
    const OrderCase cases[] = {
        {0, 1000, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {0, 2000, {0, 20, 40, 60, 80}},
        {0, 500, {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95}},
        {1, 1000, {90, 80, 70, 60, 50, 40, 30, 20, 10, 0}},
        {1, 2000, {80, 60, 40, 20, 0}},
        // Forwards 0..800 ms, then backwards from 900 ms down to 100 ms.
        {2, 1000, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 80, 70, 60, 50, 40, 30, 20, 10}},
        {2, 2000, {0, 20, 40, 60, 80, 60, 40, 20}},
        {2, 500, {0,  5,  10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85,
                  90, 85, 80, 75, 70, 65, 60, 55, 50, 45, 40, 35, 30, 25, 20, 15, 10, 5}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " at " << c.speed);
        project_->ExportOptions().ExportMode = c.mode;
        project_->ExportOptions().MediaSpeed = c.speed;
        project_->ExportOptions().ReversedSpeed = c.speed;
        ExportExpectingFile();
        std::vector<int> columns;
        for (const QByteArray& picture : exporttest::DecodePictures(Delivered(), 128, 8, 10))
            columns.push_back(exporttest::SquareColumn(picture, 128));
        EXPECT_EQ(columns, c.columns);
    }
}

} // namespace
