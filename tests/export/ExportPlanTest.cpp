// The export run's arithmetic: frames of the range and their times per pass and mode, the
// output size per choice and format; and the delivery of the finished file.
#include "export/URExportDelivery.h"
#include "export/URExportPlan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::vector<std::int64_t> Times(const TRExportRange& range, const TRExportPass& pass, int fps) {
    std::vector<std::int64_t> times;
    for (std::int64_t n = 0; n < pass.Frames; ++n)
        times.push_back(ExportFrameTime(range, pass, pass.Index(n), fps));
    return times;
}

TRProjectExportOptions Selection(std::int32_t start, std::int32_t end) {
    TRProjectExportOptions options;
    options.Selection = true;
    options.SelTimeStart = start;
    options.SelTimeEnd = end;
    return options;
}

TEST(ExportPlan, SinglePassesCoverTheWholeRange) {
    const TRExportRange range = ComputeExportRange({}, 10000, 30);
    const auto forward = ExportPasses(range, 0, 1000, 1000);
    ASSERT_EQ(forward.size(), 1u);
    EXPECT_EQ(forward[0].Frames, 300);
    const auto times = Times(range, forward[0], 30);
    EXPECT_EQ(times[0], 0);
    EXPECT_EQ(times[1], 33);
    EXPECT_EQ(times[2], 66);
    EXPECT_EQ(times.back(), 9966);

    const auto backward = ExportPasses(range, 1, 1000, 1000);
    ASSERT_EQ(backward.size(), 1u);
    auto reversed = Times(range, backward[0], 30);
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(reversed, times);
}

TEST(ExportPlan, ForwardsThenBackwardsTurnsOnce) {
    const TRExportRange range = ComputeExportRange({}, 1000, 10);
    const auto passes = ExportPasses(range, 2, 1000, 1000);
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(Times(range, passes[0], 10),
              (std::vector<std::int64_t>{0, 100, 200, 300, 400, 500, 600, 700, 800}));
    EXPECT_EQ(Times(range, passes[1], 10),
              (std::vector<std::int64_t>{900, 800, 700, 600, 500, 400, 300, 200, 100}));
    EXPECT_EQ(CountExportFrames(passes), 18);
    // At 30 fps over 10 s: indexes 0..298, then 299 down to 1.
    const TRExportRange ten = ComputeExportRange({}, 10000, 30);
    const auto turn = ExportPasses(ten, 2, 1000, 1000);
    EXPECT_EQ(turn[0].Index(turn[0].Frames - 1), 298);
    EXPECT_EQ(turn[1].Index(0), 299);
    EXPECT_EQ(turn[1].Index(turn[1].Frames - 1), 1);
}

TEST(ExportPlan, SpeedsAndSelections) {
    struct Case {
        TRProjectExportOptions options;
        std::int32_t mode, speed, reversed;
        std::int64_t frames, second; // frames of the (first) pass, time of its second frame
        std::int32_t rangeStart, rangeEnd;
    };
    const Case cases[] = {
        {{}, 0, 2000, 1000, 150, 66, 0, 10000},
        {{}, 0, 500, 1000, 600, 16, 0, 10000},
        {{}, 0, -3, 1000, 300, 33, 0, 10000},
        {{}, 1, 1000, 2000, 150, 9866, 0, 10000},
        {Selection(2000, 4000), 0, 1000, 1000, 60, 2033, 2000, 4000},
        {Selection(-50, 99999), 0, 1000, 1000, 300, 33, 0, 10000},
        {Selection(5000, 4000), 0, 1000, 1000, 1, 0, 5000, 5000},
        {Selection(5000, 5010), 2, 1000, 1000, 1, 0, 5000, 5010},
    };
    for (const Case& c : cases) {
        const TRExportRange range = ComputeExportRange(c.options, 10000, 30);
        EXPECT_EQ(range.RangeStart, c.rangeStart);
        EXPECT_EQ(range.RangeEnd, c.rangeEnd);
        const auto passes = ExportPasses(range, c.mode, c.speed, c.reversed);
        EXPECT_EQ(passes[0].Frames, c.frames) << c.mode << "/" << c.speed;
        if (passes[0].Frames > 1) {
            EXPECT_EQ(ExportFrameTime(range, passes[0], passes[0].Index(1), 30), c.second)
                << c.mode << "/" << c.speed;
        }
    }
}

TEST(ExportPlan, LongRangesKeepExactFrameTimes) {
    // 24 days in ms times 60 fps passes 2^31.
    const TRExportRange range = ComputeExportRange({}, 2'000'000'000, 60);
    EXPECT_EQ(range.EndFrame, 120'000'000);
    const auto passes = ExportPasses(range, 0, 1000, 1000);
    EXPECT_EQ(ExportFrameTime(range, passes[0], passes[0].Frames - 1, 60), 1'999'999'983);
}

TEST(ExportPlan, OutputSizes) {
    struct Case {
        int format, videoSize, width, height;
        QSize project, output;
    };
    const Case cases[] = {
        {1, 0, 0, 0, {1281, 721}, {1282, 722}},      {6, 0, 0, 0, {1281, 721}, {1281, 721}},
        {7, 0, 0, 0, {1281, 721}, {1282, 722}},      {9, 0, 0, 0, {1281, 721}, {1281, 721}},
        {3, 6, 0, 0, {1280, 720}, {1920, 1088}},     {3, 4, 0, 0, {1280, 720}, {864, 480}},
        {4, 1, 1001, 333, {1280, 720}, {1008, 336}}, {1, 1, 1001, 333, {1280, 720}, {1002, 334}},
        {1, 2, 0, 0, {1280, 720}, {426, 240}},       {1, 17, 0, 0, {1280, 720}, {1080, 1920}},
        {1, 18, 0, 0, {640, 480}, {1280, 720}},      {1, -1, 0, 0, {640, 480}, {1280, 720}},
    };
    for (const Case& c : cases) {
        TRProjectExportOptions options;
        options.Format = c.format;
        options.VideoSize = c.videoSize;
        options.Width = c.width;
        options.Height = c.height;
        EXPECT_EQ(ComputeExportOutputSize(options, c.project), c.output)
            << c.format << "/" << c.videoSize;
    }
}

// Answers the copy questions from a script and records what it was told.
class ScriptedReporter : public TRExportReporter {
public:
    std::function<bool()> OnRetry = [] { return false; };
    QStringList Retries;
    QString Undelivered;

    void InitSteps(const QStringList&) override {}
    void StartStep(int) override {}
    void EndStep(int) override {}
    void SetProgress(int) override {}
    bool Canceled() override { return false; }
    bool RetryCopy(const QString& text) override {
        Retries << text;
        return OnRetry();
    }
    void ShowUndelivered(const QString& text, const QString&) override { Undelivered = text; }
};

class Delivery : public ::testing::Test {
protected:
    void SetUp() override {
        QFile file(Source());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("new video");
    }
    QString Source() const { return dir_.filePath("work.mp4"); }
    QString Destination() const { return dir_.filePath("out/clip.mp4"); }
    QByteArray Delivered() const {
        QFile file(Destination());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    ScriptedReporter reporter_;
};

TEST_F(Delivery, ReplacesAnOlderFileWhole) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("out"));
    QFile older(Destination());
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("an older, longer video");
    older.close();
    EXPECT_TRUE(CopyExportedFile(Source(), Destination(), reporter_));
    EXPECT_EQ(Delivered(), "new video");
    EXPECT_TRUE(reporter_.Retries.isEmpty());
    EXPECT_EQ(QDir(dir_.filePath("out")).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(Delivery, FolderInTheWaySucceedsOnRetryOnceItIsGone) {
    ASSERT_TRUE(QDir(dir_.path()).mkpath("out/clip.mp4"));
    reporter_.OnRetry = [this] {
        QDir(Destination()).removeRecursively();
        return true;
    };
    EXPECT_TRUE(CopyExportedFile(Source(), Destination(), reporter_));
    ASSERT_EQ(reporter_.Retries.size(), 1);
    EXPECT_EQ(reporter_.Retries[0], "Cannot copy clip.mp4.\rClose any programs that might be "
                                    "using the file and try again.");
    EXPECT_EQ(Delivered(), "new video");
}

TEST_F(Delivery, GivingUpLeavesNothingAndSaysWhereTheFileIs) {
    ASSERT_TRUE(QDir(dir_.path()).mkpath("out/clip.mp4"));
    int asked = 0;
    reporter_.OnRetry = [&] { return ++asked < 3; };
    EXPECT_FALSE(CopyExportedFile(Source(), Destination(), reporter_));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(reporter_.Undelivered,
              "Cannot copy the file to the destination directory.\r" + Source() + "\r");
    EXPECT_TRUE(QFileInfo(Destination()).isDir());
    EXPECT_FALSE(QFile::exists(ExportCopyWorkName(Destination())));
}

} // namespace
