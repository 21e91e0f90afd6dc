// The live video recorder end to end: an X server of the test's own with a painted block and
// an XTest click, the screen worker handing its pictures over (mode 255) with its cursor
// worker, and a 440 Hz tone played into the sound server's null sink and taken from its
// monitor (a null sink of the test's own) into the microphone ring. Each format's file is read back
// by ffprobe and by our readers: streams, duration, the tone, the block's colour and the click's
// ring.
#include "capture/UMFScreenRecorder.h"
#include "capture/URVideoRecorder.h"
#include "media/UAudioReader.h"
#include "media/UCircleBuffer.h"
#include "media/UVideoReader.h"
#include "platform/audio/Stream.h"
#include "tests/support/AudioSignals.h"
#include "tests/support/OwnXServer.h"
#include "tests/support/XPainter.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <xcb/xtest.h>

namespace {

const QRect Area(0, 0, 320, 240);
constexpr uint32_t BlockColour = 0xC02020; // 0xRRGGBB on the X server
constexpr int Fps = 15;
// Two frames, and the time a loaded machine may take between reading the clock and stopping.
constexpr double StopTolerance = 2 * 1000 / Fps + 150;

// A null sink of the test's own on the sound server, so that other tests' sounds stay out of
// its monitor; unloaded again at the end.
class OwnNullSink {
public:
    OwnNullSink() : Name("tavrin_live_" + std::to_string(QCoreApplication::applicationPid())) {
        QProcess pactl;
        pactl.start("pactl", {"load-module", "module-null-sink",
                              QString::fromStdString("sink_name=" + Name)});
        pactl.waitForFinished(10000);
        Module = pactl.readAllStandardOutput().trimmed();
    }
    ~OwnNullSink() {
        if (!Module.isEmpty())
            QProcess::execute("pactl", {"unload-module", QString::fromLatin1(Module)});
    }
    bool Ok() const { return !Module.isEmpty(); }
    const std::string Name;

private:
    QByteArray Module;
};

// Plays a tone into the sink and copies its monitor into a ring while it lives.
class ToneIntoRing {
public:
    ToneIntoRing(const std::string& sink, TCircleBufferThread* ring)
        : Thread([this, sink, ring] {
              using namespace platform::audio;
              PlaybackStream play({44100, 2}, sink);
              CaptureStream monitor({44100, 2}, sink + ".monitor");
              play.start();
              // One second of 440 whole cycles, played round and round.
              const std::vector<int16_t> tone = signals::sine(440, 44100, 2, 44100, 0.3);
              const auto* bytes = reinterpret_cast<const uint8_t*>(tone.data());
              const size_t total = tone.size() * 2;
              std::vector<uint8_t> buffer(17640);
              size_t offset = 0;
              while (!Stop) {
                  if (const size_t n = std::min(play.writableBytes(), total - offset) / 4 * 4) {
                      play.write(bytes + offset, n);
                      offset = (offset + n) % total;
                  }
                  if (const size_t got = monitor.read(buffer.data(), buffer.size()))
                      ring->Write(buffer.data(), int(got));
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    ~ToneIntoRing() {
        Stop = true;
        Thread.join();
    }

private:
    std::atomic<bool> Stop{false};
    std::thread Thread;
};

void Click(const QByteArray& display, int x, int y) {
    xcb_connection_t* c = xcb_connect(display.constData(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, int16_t(x), int16_t(y),
                        XCB_NONE);
    xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
    xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, XCB_NONE);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
}

QStringList Probe(const QString& file) {
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,codec_name", "-of",
                            "csv=p=0", file});
    probe.waitForFinished(60000);
    return QString::fromLatin1(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Waits while the size messages are delivered.
void Wait(int ms) {
    const int64_t end = CaptureClockMs() + ms;
    while (CaptureClockMs() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

struct Recording {
    QString file;
    int sizeKB = -1;     // the last size message
    int64_t clickMs = 0; // media time of the click
    int64_t endMs = 0;   // media time of the stop
};

// Five seconds of the area in `format`; the click at 2 s.
Recording Record(const QByteArray& display, const std::string& sink, const QString& base,
                 int format) {
    TRVideoRecorderOptions o;
    o.RecordScreen = true;
    o.ScreenWidth = Area.width(), o.ScreenHeight = Area.height();
    o.ShowCursor = false;
    o.LeftClick = true, o.LEColor = 0x00FF00, o.LEOpacity = 1, o.LESize = 60, o.LEThickness = 8,
    o.LEDuration = 600;
    o.RecordMic = format != VideoOutputGIF && format != VideoOutputWebP;
    o.OutputFileName = base;
    o.OutputFormat = format;
    o.OutputFramePS = Fps, o.OutputFrameGIF = Fps;
    TRVideoRecorder recorder;
    recorder.Breadcrumb = [](const QString&) {};
    recorder.SetParams(o);
    Recording r;
    recorder.OnReceiveSize = [&r](int kb) { r.sizeKB = kb; };
    recorder.Start();
    TMFScreenRecorder screen;
    screen.Display = display;
    screen.Breadcrumb = [](const QString&) {};
    screen.SetParams(Area, base, ScreenModeLive, false, CaptureMethodChanges, Fps, 80, 0,
                     recorder.VideoRecorderThread());
    screen.StartRecord();
    recorder.SetCursorRecorderThread(screen.CursorRecorderThread());
    std::unique_ptr<ToneIntoRing> tone;
    if (recorder.GetMicBuffer())
        tone = std::make_unique<ToneIntoRing>(sink, recorder.GetMicBuffer());
    const int64_t start = CaptureClockMs();
    screen.SetStartTime(start);
    recorder.SetStartTime(start);
    screen.SetRecording(true);
    recorder.SetRecording(true);
    Wait(2000);
    r.clickMs = CaptureClockMs() - start;
    Click(display, 100, 120);
    Wait(3000);
    r.endMs = CaptureClockMs() - start;
    // The tool bar's order: detach the cursor, end the screen worker, then the recorder.
    recorder.SetCursorRecorderThread(nullptr);
    screen.Terminate();
    screen.StopRecord();
    tone.reset();
    EXPECT_TRUE(recorder.Stop());
    r.file = recorder.FileName();
    return r;
}

TEST(VideoRecorderLive, FourFormatsFromTheScreenWithToneAndClick) {
    OwnXServer server({}, "640x480x24");
    ASSERT_TRUE(server.Ok());
    XPainter painter(server.Display);
    painter.PaintBlocks(0, 0, 20, std::vector<uint32_t>(20 * 15, 0x303030));
    painter.PaintBlocks(192, 32, 2, std::vector<uint32_t>(4, BlockColour));
    OwnNullSink sink;
    ASSERT_TRUE(sink.Ok());
    QTemporaryDir dir;
    const std::pair<int, QString> formats[] = {{VideoOutputH264, "h264"},
                                               {VideoOutputHEVC, "hevc"},
                                               {VideoOutputGIF, "gif"},
                                               {VideoOutputWebP, "webp"}};
    for (const auto& [format, codec] : formats) {
        SCOPED_TRACE(codec.toStdString());
        const Recording r = Record(server.Display, sink.Name, dir.filePath(codec), format);
        ASSERT_FALSE(r.file.isEmpty());
        // The size messages (6589) arrived while it recorded.
        EXPECT_GE(r.sizeKB, 0);
        const bool sound = format != VideoOutputGIF && format != VideoOutputWebP;
        const QStringList streams = Probe(r.file);
        EXPECT_TRUE(streams.contains(codec + ",video")) << streams.join(' ').toStdString();
        EXPECT_EQ(streams.contains("aac,audio"), sound) << streams.join(' ').toStdString();

        TVideoReaderEx video(r.file);
        ASSERT_TRUE(video.IsValid()) << video.ErrorText().toStdString();
        EXPECT_EQ(video.GetWidth(), Area.width());
        EXPECT_NEAR(video.GetDurationMs(), r.endMs, StopTolerance);
        std::vector<uint8_t> frame(size_t(Area.width()) * Area.height() * 4);
        auto pixel = [&](int x, int y) {
            return frame.data() + (size_t(y) * Area.width() + x) * 4;
        };
        // MP4 readers fill an opaque frame, the animated-picture readers a premultiplied target.
        auto frameAt = [&](int ms) {
            video.GetFrame(ms, frame.data());
            video.GetFrame(
                ms, TFrameTarget{frame.data(), Area.width() * 4, Area.width(), Area.height()});
        };
        // The painted block, through the encoder's colour conversion.
        frameAt(1000);
        EXPECT_NEAR(pixel(208, 48)[2], 0xC0, 16);
        EXPECT_NEAR(pixel(208, 48)[1], 0x20, 16);
        // 300 ms after the click the ring's full band lies 28..40 px from it: green there,
        // the grey desktop at its centre. A loaded machine may see the click a few frames
        // late, so the band is looked for in the frames up to 200 ms later.
        bool ringSeen = false;
        for (int late = 0; late <= 200 && !ringSeen; late += 1000 / Fps) {
            frameAt(int(r.clickMs + 300 + late));
            ringSeen = pixel(134, 120)[1] > 0xB0 && pixel(134, 120)[2] < 0x60 &&
                       std::abs(pixel(100 + 10, 120)[1] - 0x30) <= 24;
        }
        EXPECT_TRUE(ringSeen);

        if (!sound)
            continue;
        TAudioReader audio;
        ASSERT_TRUE(audio.OpenFile(r.file));
        ASSERT_TRUE(audio.SetFormat(44100, 2, 16));
        EXPECT_NEAR(double(audio.Duration()), double(r.endMs), StopTolerance);
        // The fourth second, well after the sound server's start.
        std::vector<int16_t> pcm(44100 * 2);
        uint32_t flags = 0;
        for (int second = 0; second < 4; ++second)
            audio.LoadData(44100, reinterpret_cast<uint8_t*>(pcm.data()), flags);
        // The test's own player may underrun on a loaded machine, leaving short silences.
        EXPECT_NEAR(signals::dominantFrequency(pcm.data(), 44100, 2, 44100, 300, 600), 440, 2);
        EXPECT_GT(signals::rms(pcm.data(), 44100, 2), 0.05);
    }
}

} // namespace
