// The screen worker's output stage: the quantiser step of a quality, frame slots with the
// pending picture (mode 0), the constant-rate catch-up and tail of mode 1 and the mailbox of
// mode 255.
#include "capture/UScreenOutput.h"
#include "media/UVideoReaderTVC.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(ScreenOutput, QStepFollowsQualityOnOneClampedRule) {
    const struct {
        int quality, qstep;
    } cases[] = {{100, 0}, {80, 8}, {50, 20}, {49, 20}, {30, 28}, {12, 35}, {0, 35}, {101, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ScreenQStep(c.quality), c.qstep) << c.quality;
}

TEST(ScreenOutput, FrameSlotsOfMediaTimes) {
    const struct {
        int64_t mt;
        int fps;
        int64_t slot;
    } cases[] = {{1000, 30, 30}, {1020, 30, 30}, {1033, 30, 31}, {1100, 30, 33},
                 {999, 30, 30},  {0, 60, 0},     {1016, 60, 61}, {2500, 25, 62}};
    for (const auto& c : cases)
        EXPECT_EQ(FrameSlot(c.mt, c.fps), c.slot) << c.mt << " at " << c.fps;
}

constexpr int W = 16, H = 16;

std::vector<uint8_t> Flat(uint8_t value) {
    std::vector<uint8_t> picture(std::size_t(W) * H * 4, value);
    for (std::size_t i = 3; i < picture.size(); i += 4)
        picture[i] = 255;
    return picture;
}

// Mode 0 at 30 fps: the media times given, then a stop at endMs; the stored frames' times.
std::vector<int> StoredTimes(const std::vector<int>& times, int endMs) {
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("screen"));
    TScreenOutputParams params;
    params.Width = W;
    params.Height = H;
    params.FileName = base;
    params.Quality = 100;
    TScreenOutput output(
        params, [](int32_t, int) {}, [] { return false; });
    output.Prepare();
    for (std::size_t i = 0; i < times.size(); ++i)
        output.AddChanged(Flat(uint8_t(20 + 30 * i)).data(), times[i]);
    output.Close(endMs);
    TVideoReaderTVC reader;
    EXPECT_TRUE(reader.OpenFile(base + QStringLiteral(".tvf")));
    EXPECT_EQ(reader.DurationMs(), endMs);
    std::vector<int> stored;
    for (int i = 1; i <= reader.NrFrames(); ++i)
        stored.push_back(reader.GetBeginTime(i));
    return stored;
}

TEST(ScreenOutput, PendingPictureFillsAGapBeforeTheNextSlot) {
    // Slots 30, 30, 33: the picture at 1020 waits and is written before the one at 1100.
    EXPECT_EQ(StoredTimes({1000, 1020, 1100}, 1200), (std::vector<int>{1000, 1020, 1100}));
}

TEST(ScreenOutput, PendingPictureIsDroppedByTheDirectlyFollowingSlot) {
    // Slots 30, 30, 31: the pending picture of slot 30 never shows.
    EXPECT_EQ(StoredTimes({1000, 1020, 1040}, 1200), (std::vector<int>{1000, 1040}));
}

TEST(ScreenOutput, PendingPictureIsWrittenAtTheStop) {
    EXPECT_EQ(StoredTimes({0, 10}, 500), (std::vector<int>{0, 10}));
}

// Records what the output stage hands to the H.264 encoder: "P<first byte>" for a picture,
// "G" for a gap slot.
struct Mp4Run {
    std::vector<std::string> calls;
    std::vector<std::pair<int32_t, int>> results;
    int width = 0, height = 0;
};

class FakeEncoder : public TMFEncoder {
public:
    FakeEncoder(Mp4Run* run, int32_t startResult) : Run(run), StartResult(startResult) {}
    int32_t StartEncode() override {
        FSampleVideoDuration = SlotTime(1, FVideoFramePS);
        Run->width = Width();
        Run->height = Height();
        return StartResult;
    }
    int32_t AddVideoFrame(const uint8_t* picture) override {
        Run->calls.push_back(picture ? "P" + std::to_string(picture[0]) : "G");
        PassSlots(1);
        return 0;
    }
    int32_t StopEncode() override { return 0; }
    Mp4Run* Run;
    int32_t StartResult;
};

Mp4Run RunMp4(const std::vector<int>& times, int64_t endMs, int fps = 30, int32_t startResult = 0,
              int width = W, int height = H) {
    Mp4Run run;
    TScreenOutputParams params;
    params.Width = width;
    params.Height = height;
    params.Mode = ScreenModeMP4;
    params.FramePS = fps;
    TScreenOutput output(
        params, [&](int32_t hr, int step) { run.results.emplace_back(hr, step); },
        [] { return false; });
    output.CreateEncoder = [&] { return std::make_unique<FakeEncoder>(&run, startResult); };
    output.Prepare();
    const std::size_t bytes = std::size_t(width) * height * 4;
    for (std::size_t i = 0; i < times.size(); ++i)
        output.AddChanged(std::vector<uint8_t>(bytes, uint8_t(10 * (i + 1))).data(), times[i]);
    output.Close(endMs);
    return run;
}

std::vector<std::string> Calls(std::initializer_list<std::pair<const char*, int>> runs) {
    std::vector<std::string> out;
    for (const auto& [call, count] : runs)
        out.insert(out.end(), std::size_t(count), call);
    return out;
}

TEST(ScreenOutput, Mp4StillScreenBecomesGapSlots) {
    // 30 fps: a picture at 0, the next at 3000 after a still screen. Slot n ends at
    // n × 33.33 ms, so slots 1..88 pass as gaps and the new picture takes slot 89; the stop
    // at 3033 adds the last picture once more.
    const Mp4Run run = RunMp4({0, 3000}, 3033);
    EXPECT_EQ(run.calls, Calls({{"P10", 1}, {"G", 88}, {"P20", 2}}));
}

TEST(ScreenOutput, Mp4PictureBetweenSlotsIsWrittenInTheFirstLateSlot) {
    // The picture at 10 arrives before slot 1 begins (33 ms); at 100 it is written in slot 1,
    // slot 2 ends at 100 and the new picture follows.
    const Mp4Run run = RunMp4({0, 10, 100}, 100);
    EXPECT_EQ(run.calls, Calls({{"P10", 1}, {"P20", 1}, {"P30", 2}}));
}

TEST(ScreenOutput, Mp4TailReachesTheRecordingsEndWithoutACap) {
    // Twenty minutes after the only picture at 30 fps: 36000 slots in all, none cut off.
    const Mp4Run run = RunMp4({0}, 20 * 60 * 1000);
    ASSERT_EQ(run.calls.size(), 36000u);
    EXPECT_EQ(run.calls.front(), "P10");
    EXPECT_EQ(run.calls.back(), "P10");
    EXPECT_EQ(std::count(run.calls.begin(), run.calls.end(), "G"), 35998);
}

TEST(ScreenOutput, Mp4UsesEvenSizeAndReportsTheFailingStep) {
    const Mp4Run run = RunMp4({}, 0, 30, int32_t(0xC00D36B4), 17, 11);
    ASSERT_FALSE(run.results.empty());
    EXPECT_EQ(run.results.front(), std::make_pair(int32_t(0xC00D36B4), 1));
    EXPECT_EQ(run.width, 16);
    EXPECT_EQ(run.height, 10);
    // With nothing captured the grey start picture is the only one (step 7), then the stop.
    EXPECT_EQ(run.calls, Calls({{"P128", 1}}));
    EXPECT_EQ(run.results.back().second, 8);
}

class FakeMailbox : public TRBufferMailbox {
public:
    void SetScreenData(const uint8_t* picture, int width, int height, int stride) override {
        Firsts.push_back(picture[0]);
        EXPECT_EQ(width, W);
        EXPECT_EQ(height, H);
        EXPECT_EQ(stride, W * 4);
    }
    std::vector<int> Firsts;
};

TEST(ScreenOutput, LiveModeHandsEveryPictureToTheMailboxAndWritesNoFile) {
    QTemporaryDir dir;
    FakeMailbox mailbox;
    TScreenOutputParams params;
    params.Width = W;
    params.Height = H;
    params.Mode = ScreenModeLive;
    params.FileName = dir.filePath(QStringLiteral("screen"));
    params.Mailbox = &mailbox;
    TScreenOutput output(
        params, [](int32_t, int) {}, [] { return false; });
    output.Prepare();
    output.AddChanged(Flat(1).data(), 0);
    output.AddChanged(Flat(2).data(), 5);
    output.AddPaced(Flat(3).data(), 40);
    output.Close(100);
    EXPECT_EQ(mailbox.Firsts, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

} // namespace
