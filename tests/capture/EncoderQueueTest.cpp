// The GIF/WebP encoder queue: the encoder's options, the two-second bound, and the final drain
// that keeps every frame's time; then a real GIF and WebP written through it and read back.
#include "capture/UREncoderThread.h"
#include "media/UMFencoder.h"
#include "media/UVideoReader.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <mutex>

namespace {

struct QueueLog {
    std::mutex lock;
    std::vector<int> times;      // of the frames given with their time
    std::vector<uint8_t> firsts; // the first byte of every frame
    int untimed = 0;             // frames given without a time
    bool stopped = false;
};

class QueueEncoder : public TMFEncoder {
public:
    explicit QueueEncoder(std::shared_ptr<QueueLog> log) : FLog(std::move(log)) {}
    int32_t StartEncode() override { return MF_S_OK; }
    int32_t AddVideoFrame(const uint8_t*) override {
        std::lock_guard l(FLog->lock);
        ++FLog->untimed;
        return MF_S_OK;
    }
    int32_t AddVideoFrameFromRecording(const uint8_t* frame, int time) override {
        std::lock_guard l(FLog->lock);
        FLog->times.push_back(time);
        FLog->firsts.push_back(frame[0]);
        return MF_S_OK;
    }
    int32_t StopEncode() override {
        std::lock_guard l(FLog->lock);
        FLog->stopped = true;
        return MF_S_OK;
    }

private:
    std::shared_ptr<QueueLog> FLog;
};

TEST(EncoderQueue, EncoderOptionsFromTheRecordingsSettings) {
    // GIF with optimisation 3 and pure red: changed areas, transparency, red with full alpha.
    TMFEncoder gif;
    TREncoderThread::ConfigureEncoder(gif, 6, 3, 0, 0x0000FF);
    EXPECT_TRUE(gif.UseVFR);
    EXPECT_TRUE(gif.UseChanges);
    EXPECT_TRUE(gif.UseTransparency);
    EXPECT_EQ(gif.TransparentColor, 0xFFFF0000u);
    TMFEncoder gif2;
    TREncoderThread::ConfigureEncoder(gif2, 6, 2, 1, 0x123456);
    EXPECT_FALSE(gif2.UseChanges);
    EXPECT_TRUE(gif2.UseTransparency);
    EXPECT_EQ(gif2.TransparentColor, 0xFF563412u);
    TMFEncoder webp;
    TREncoderThread::ConfigureEncoder(webp, 7, 3, 1, 0);
    EXPECT_TRUE(webp.Animation);
    EXPECT_TRUE(webp.UseVFR);
    EXPECT_TRUE(webp.UseChanges);
    EXPECT_FALSE(webp.UseTransparency);
}

TEST(EncoderQueue, HoldsAtMostTwoSecondsAndDrainsWithTheFramesTimes) {
    auto log = std::make_shared<QueueLog>();
    TREncoderThread queue(6, 4, 2, 10, 80, 0, 0, 0, QStringLiteral("unused"));
    queue.CreateEncoder = [log](int) { return std::make_unique<QueueEncoder>(log); };
    EXPECT_EQ(queue.Capacity(), 20);
    queue.AddVideoFrame(0, nullptr);
    std::vector<uint8_t> frame(4 * 2 * 4);
    for (int i = 0; i < 25; ++i) {
        frame[0] = uint8_t(i);
        queue.AddVideoFrame(i * 100, frame.data());
    }
    EXPECT_EQ(queue.Queued(), 20);
    EXPECT_EQ(queue.Dropped(), 5);
    // Started and ended at once: the frames are drained, each with its own time.
    queue.Start();
    queue.Terminate();
    ASSERT_TRUE(queue.WaitFor(10000));
    std::vector<int> times;
    std::vector<uint8_t> firsts;
    for (int i = 0; i < 20; ++i)
        times.push_back(i * 100), firsts.push_back(uint8_t(i));
    EXPECT_EQ(log->times, times);
    EXPECT_EQ(log->firsts, firsts);
    EXPECT_EQ(log->untimed, 0);
    EXPECT_TRUE(log->stopped);
    EXPECT_FALSE(queue.WroteFile() && QFileInfo::exists(queue.FileName()));
}

TEST(EncoderQueue, WritesAGifAndAWebPThatReadBack) {
    QTemporaryDir dir;
    for (int kind : {6, 7}) {
        TREncoderThread queue(kind, 16, 8, 10, 80, 0, 0, 0, dir.filePath("anim"));
        queue.Start();
        std::vector<uint8_t> frame(16 * 8 * 4, 0);
        // Ten frames 100 ms apart, the last two seconds long: the file lasts 2.9 s.
        for (int i = 0; i < 10; ++i) {
            for (size_t p = 0; p < frame.size(); p += 4)
                frame[p] = uint8_t(i * 25), frame[p + 3] = 255;
            queue.AddVideoFrame(i == 9 ? 2800 : i * 100, frame.data());
        }
        queue.Terminate();
        ASSERT_TRUE(queue.WaitFor(30000));
        SCOPED_TRACE(queue.FileName().toStdString());
        ASSERT_TRUE(queue.WroteFile());
        TVideoReaderEx reader(queue.FileName());
        ASSERT_TRUE(reader.IsValid()) << reader.ErrorText().toStdString();
        EXPECT_EQ(reader.GetWidth(), 16);
        EXPECT_NEAR(reader.GetDurationMs(), 2900, 100);
        std::vector<uint8_t> picture(16 * 8 * 4);
        reader.GetFrame(2850, TFrameTarget{picture.data(), 16 * 4, 16, 8});
        EXPECT_NEAR(picture[0], 225, 12);
    }
}

} // namespace
