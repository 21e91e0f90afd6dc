// The screen recorder end to end on an X server of the test's own: flat 16-pixel block panels
// change at known times while it records; the files are read back and compared with the
// pictures drawn.
#include "capture/UMFScreenRecorder.h"
#include "core/URServerMessages.h"
#include "core/URSettings.h"
#include "media/UVideoCodec_obj.h"
#include "media/UVideoReader.h"
#include "media/UVideoReaderTVC.h"
#include "tests/support/OwnXServer.h"
#include "tests/support/XPainter.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

// The screen is 640 wide: the area's right 16 columns lie off every monitor.
const QRect Area(592, 100, 64, 32);
constexpr int Cols = 3, Rows = 2;

// Panel k: six blocks, each changing from one panel to the next.
std::vector<uint32_t> Panel(int k) {
    static const uint32_t palette[] = {0x1F4E79, 0xC00000, 0x70AD47, 0xFFC000, 0x7030A0,
                                       0xF2F2F2, 0x000000, 0x00B0F0, 0x808080};
    std::vector<uint32_t> colours;
    for (int b = 0; b < Cols * Rows; ++b)
        colours.push_back(palette[(k * 2 + b) % 9]);
    return colours;
}

// One pixel through the screen-video codec's colour conversion alone.
std::array<uint8_t, 4> ColourConverted(uint32_t rgb, bool onScreen) {
    uint8_t block[16 * 64] = {};
    if (onScreen)
        block[0] = uint8_t(rgb), block[1] = uint8_t(rgb >> 8), block[2] = uint8_t(rgb >> 16),
        block[3] = 255;
    uint8_t yuv[kMacroblockBytes], planes[48] = {}, out[64];
    ScalarCodecKernels().BgraBlockToYuv(block, yuv, 64);
    planes[0] = yuv[0], planes[16] = yuv[256], planes[32] = yuv[512];
    ScalarCodecKernels().Yuv444ToBgra(planes, out, 16);
    return {out[0], out[1], out[2], out[3]};
}

// The picture of panel k as the decoded file should show it.
std::vector<uint8_t> Expected(int k) {
    std::vector<uint8_t> picture(std::size_t(Area.width()) * Area.height() * 4);
    const std::vector<uint32_t> colours = Panel(k);
    for (int y = 0; y < Area.height(); ++y)
        for (int x = 0; x < Area.width(); ++x) {
            const bool on = x < Cols * XPainter::Block;
            const auto c =
                ColourConverted(on ? colours[std::size_t(y / 16 * Cols + x / 16)] : 0, on);
            std::copy(c.begin(), c.end(),
                      picture.begin() + (std::size_t(y) * Area.width() + x) * 4);
        }
    return picture;
}

class ScreenRecording : public ::testing::Test {
protected:
    void SetUp() override {
        SetServerMessageSink([this](const QString& status, bool) {
            std::lock_guard lock(ReportLock);
            Reports << status;
            return QString();
        });
    }
    void TearDown() override { SetServerMessageSink(nullptr); }

    // Records panels 0..4 with two pauses; returns the recorded time without the pauses.
    int64_t Record(OwnXServer& server, const QString& base, uint8_t mode, uint8_t method,
                   const QRect& area = Area, TRBufferMailbox* mailbox = nullptr) {
        XPainter painter(server.Display);
        painter.PaintBlocks(Area.x(), Area.y(), Cols, Panel(0));
        TMFScreenRecorder recorder;
        recorder.Display = server.Display;
        recorder.Breadcrumb = [](const QString&) {};
        recorder.SetParams(area, base, mode, false, method, 30, 100, 0, mailbox);
        recorder.StartRecord();
        // Panel 0 is on the screen before the first picture: the worker has its output ready.
        for (int i = 0; i < 2000 && recorder.ScreenRecorderThread()->m_status() < 1; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const int64_t start = CaptureClockMs();
        int64_t totalPause = 0, pause = 0;
        recorder.SetStartTime(start);
        recorder.SetRecording(true);
        const auto wait = [](int ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        };
        const auto pauseFor = [&](int ms) {
            recorder.SetRecording(false);
            pause = CaptureClockMs();
            recorder.SetPauseTime(pause);
            wait(ms);
            totalPause += CaptureClockMs() - pause;
            recorder.SetTotalPause(totalPause);
            recorder.SetRecording(true);
        };
        wait(150);
        painter.PaintBlocks(Area.x(), Area.y(), Cols, Panel(1));
        wait(150);
        pauseFor(200);
        wait(100);
        painter.PaintBlocks(Area.x(), Area.y(), Cols, Panel(2));
        wait(150);
        painter.PaintBlocks(Area.x(), Area.y(), Cols, Panel(3));
        wait(150);
        pauseFor(200);
        painter.PaintBlocks(Area.x(), Area.y(), Cols, Panel(4));
        wait(200);
        recorder.SetRecording(false);
        pause = CaptureClockMs();
        recorder.SetPauseTime(pause);
        recorder.Terminate();
        recorder.StopRecord();
        return pause - start - totalPause;
    }

    // The file holds panels 0..4, each in a frame of its own, in order.
    void ExpectPanels(const QString& file, int64_t duration) {
        TVideoReaderTVC reader;
        ASSERT_TRUE(reader.OpenFile(file));
        EXPECT_EQ(reader.DurationMs(), duration);
        ASSERT_EQ(reader.NrFrames(), 5);
        std::vector<uint8_t> picture(std::size_t(Area.width()) * Area.height() * 4);
        for (int k = 0; k < 5; ++k) {
            const int time = reader.GetBeginTime(k + 1);
            if (k == 0)
                EXPECT_EQ(time, 0);
            else
                EXPECT_GT(time, reader.GetBeginTime(k));
            ASSERT_TRUE(reader.GetFrame(time, picture.data()));
            EXPECT_TRUE(picture == Expected(k)) << "panel " << k;
        }
    }

    QStringList TakeReports() {
        std::lock_guard lock(ReportLock);
        return std::exchange(Reports, {});
    }

    QTemporaryDir Dir;
    std::mutex ReportLock;
    QStringList Reports;
};

TEST_F(ScreenRecording, ChangesByDamageGiveOneFramePerChangeAndTheRecordedDuration) {
    OwnXServer server;
    ASSERT_TRUE(server.Ok());
    const QString base = Dir.filePath("screen");
    const int64_t duration = Record(server, base, ScreenModeTVF, CaptureMethodChanges);
    ExpectPanels(base + ".tvf", duration);
    EXPECT_TRUE(TakeReports().isEmpty());
    EXPECT_TRUE(QFile::exists(base + ".tcf"));
}

TEST_F(ScreenRecording, WithoutSharedMemoryGetImageRecordsAndTheSetUpIsReported) {
    OwnXServer server({"-extension", "MIT-SHM"});
    ASSERT_TRUE(server.Ok());
    const QString base = Dir.filePath("screen");
    const int64_t duration = Record(server, base, ScreenModeTVF, CaptureMethodChanges);
    ExpectPanels(base + ".tvf", duration);
    EXPECT_EQ(TakeReports(), QStringList{"Error:" + SettingsRecord.LastStep.text() +
                                         ":ScreenRecorderThread_initerr_connect,shm=missing"});
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    int n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (i % 4 != 3)
            sum += (a[i] - b[i]) * (a[i] - b[i]), ++n;
    return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / (sum / n));
}

TEST_F(ScreenRecording, Mp4HasEvenSizeReachesTheEndAndShowsThePanels) {
    OwnXServer server;
    ASSERT_TRUE(server.Ok());
    const QString base = Dir.filePath("screen");
    const QRect odd(Area.x(), Area.y(), Area.width() + 1, Area.height() + 1);
    const int64_t duration = Record(server, base, ScreenModeMP4, CaptureMethodChanges, odd);
    TVideoReaderEx reader(base + ".mp4");
    ASSERT_TRUE(reader.IsValid()) << reader.ErrorText().toStdString();
    EXPECT_EQ(reader.GetWidth(), 64);
    EXPECT_EQ(reader.GetHeight(), 32);
    EXPECT_GE(reader.GetDurationMs(), duration - 34);
    EXPECT_LE(reader.GetDurationMs(), duration + 67);
    std::vector<uint8_t> picture(64 * 32 * 4);
    reader.GetFrame(int(duration) - 50, picture.data());
    EXPECT_GT(Psnr(picture, Expected(4)), 30.0);
    reader.GetFrame(20, picture.data());
    EXPECT_GT(Psnr(picture, Expected(0)), 30.0);
}

class CountingMailbox : public TRBufferMailbox {
public:
    void SetScreenData(const uint8_t* picture, int width, int height, int) override {
        if (width == Area.width() && height == Area.height())
            Last.assign(picture, picture + std::size_t(width) * height * 4);
        ++Count;
    }
    std::atomic<int> Count{0};
    std::vector<uint8_t> Last;
};

TEST_F(ScreenRecording, LiveModeFeedsTheMailboxAndWritesNoFile) {
    OwnXServer server;
    ASSERT_TRUE(server.Ok());
    CountingMailbox mailbox;
    Record(server, QString(), ScreenModeLive, CaptureMethodChanges, Area, &mailbox);
    EXPECT_EQ(mailbox.Count, 5);
    ASSERT_FALSE(mailbox.Last.empty());
    // The last picture: panel 4, opaque on the screen and zero beyond it.
    const std::vector<uint32_t> colours = Panel(4);
    EXPECT_EQ(mailbox.Last[0] | mailbox.Last[1] << 8 | mailbox.Last[2] << 16, int(colours[0]));
    EXPECT_EQ(mailbox.Last[3], 255);
    EXPECT_EQ(mailbox.Last[63 * 4 + 3], 0);
    EXPECT_TRUE(QDir(Dir.path()).isEmpty());
}

} // namespace
