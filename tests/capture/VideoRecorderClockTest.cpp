// The live recorder's frame clock and sound on a clock of the test's own and a recording
// encoder: frames per second, gaps and catch-up frames, chunk sizes, mixing, sound after a
// stalled source, the cursor hand-over and the outcomes of a recording that writes nothing.
#include "capture/URVideoRecorder.h"
#include "core/URServerMessages.h"
#include "media/UAudioReader.h"
#include "media/UCircleBuffer.h"
#include "media/UMFencoder.h"
#include "tests/support/AudioSignals.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <thread>
#include <utility>

namespace {

// What the encoder was given.
struct EncoderLog {
    std::string slots; // 'F' a frame, 'G' a gap, per slot in order
    std::vector<int> chunkBytes;
    std::vector<int16_t> firstSamples; // the first sample of every chunk
    int64_t videoEndMs = 0, audioEndMs = 0;
    bool stopped = false;
};

class LoggingEncoder : public TMFEncoder {
public:
    LoggingEncoder(std::shared_ptr<EncoderLog> log, std::function<void(int frame)> onFrame)
        : FLog(std::move(log)), FOnFrame(std::move(onFrame)) {}
    int32_t StartEncode() override {
        FSampleVideoDuration = SlotTime(1, FVideoFramePS);
        IsValid = true;
        return MF_S_OK;
    }
    int32_t AddVideoFrame(const uint8_t* frame) override {
        FLog->slots += frame ? 'F' : 'G';
        if (FOnFrame)
            FOnFrame(int(FLog->slots.size()));
        PassSlots(1);
        return MF_S_OK;
    }
    int32_t AddAudioFrame(const uint8_t* data) override {
        FLog->chunkBytes.push_back(AudioChunkBytes());
        FLog->firstSamples.push_back(*reinterpret_cast<const int16_t*>(data));
        ++FNrAudioFrames;
        FSampleAudioStart = SlotTime(FNrAudioFrames, FVideoFramePS);
        return MF_S_OK;
    }
    int32_t StopEncode() override {
        FLog->stopped = true;
        FLog->videoEndMs = SampleVideoStartMS();
        FLog->audioEndMs = SampleaudioStartMS();
        return MF_S_OK;
    }

private:
    std::shared_ptr<EncoderLog> FLog;
    std::function<void(int)> FOnFrame;
};

// Time passes only when the worker sleeps (or a test's encoder stalls); the recording ends
// when it reaches `end`. Producers write sound for every span that passes.
class TestClock : public TRRecorderClock {
public:
    int64_t NowMs() override { return FNow; }
    void SleepMs(int ms) override { Advance(ms); }
    void Advance(int ms) {
        const int64_t from = FNow;
        FNow += ms;
        if (OnAdvance)
            OnAdvance(from, FNow);
        if (FNow >= End && Worker)
            Worker->Terminate();
    }
    std::atomic<int64_t> FNow{0};
    int64_t End = 0;
    TCaptureWorker* Worker = nullptr;
    std::function<void(int64_t, int64_t)> OnAdvance;
};

TRVideoRecorderOptions TinyScreen(int fps, int mode = RecorderFrameModeVariable) {
    TRVideoRecorderOptions o;
    o.RecordScreen = true;
    o.ScreenWidth = 16, o.ScreenHeight = 8;
    o.OutputFramePS = fps;
    o.OutputFrameMode = mode;
    o.ShowCursor = false;
    return o;
}

// Runs a recording of `ms` on the test clock and returns what the encoder got.
std::shared_ptr<EncoderLog>
Record(const TRVideoRecorderOptions& options, int ms, std::function<void(int frame)> onFrame = {},
       std::function<void(TRVideoRecorderThread&, int64_t, int64_t)> produce = {}) {
    auto log = std::make_shared<EncoderLog>();
    auto clock = std::make_shared<TestClock>();
    TRVideoRecorderThread thread(options, nullptr, clock);
    clock->End = ms;
    clock->Worker = &thread;
    if (produce)
        clock->OnAdvance = [&](int64_t from, int64_t to) { produce(thread, from, to); };
    thread.CreateEncoder = [log, onFrame](int) {
        return std::make_unique<LoggingEncoder>(log, onFrame);
    };
    const std::vector<uint8_t> picture(16 * 8 * 4, 0x80);
    thread.SetScreenData(picture.data(), 16, 8, 64);
    thread.SetStartTime(0);
    thread.StartRecording();
    thread.Start();
    EXPECT_TRUE(thread.WaitFor(120000));
    EXPECT_EQ(thread.m_hr(), 0) << thread.GetStatus().toStdString();
    return log;
}

TEST(VideoRecorderClock, AboutAHundredFramesInTenSecondsAtTenFps) {
    const auto log = Record(TinyScreen(10), 10000);
    EXPECT_TRUE(log->stopped);
    EXPECT_NEAR(double(log->slots.size()), 100, 2);
    EXPECT_EQ(log->slots.find('G'), std::string::npos) << log->slots;
}

TEST(VideoRecorderClock, ConstantModeComposesShortStallsAndTurnsToGapsAfterALongOne) {
    // After frames 30, 60 and 90 the worker oversleeps by 70, 150 and 70 ms.
    const std::map<int, int> stalls{{30, 70}, {60, 150}, {90, 70}};
    auto clock = std::make_shared<TestClock>();
    int pending = 0;
    clock->OnAdvance = [&](int64_t, int64_t) {
        if (const int stall = std::exchange(pending, 0))
            clock->FNow += stall;
    };
    const auto log = std::make_shared<EncoderLog>();
    TRVideoRecorderThread thread(TinyScreen(30, RecorderFrameModeConstant), nullptr, clock);
    clock->End = 5000;
    clock->Worker = &thread;
    thread.CreateEncoder = [&](int) {
        return std::make_unique<LoggingEncoder>(log, [&](int frame) {
            if (const auto s = stalls.find(frame); s != stalls.end())
                pending = s->second;
        });
    };
    const std::vector<uint8_t> picture(16 * 8 * 4, 0x80);
    thread.SetScreenData(picture.data(), 16, 8, 64);
    thread.StartRecording();
    thread.Start();
    ASSERT_TRUE(thread.WaitFor(60000));
    const std::string& slots = log->slots;
    ASSERT_GT(slots.size(), 140u);
    // The 70-ms stall's missed slots are composed frames. The 150-ms one ends 114 ms past a
    // missed slot: its four missed slots are gaps, and so is the later short stall's one.
    EXPECT_EQ(slots.substr(0, 60).find('G'), std::string::npos) << slots;
    EXPECT_EQ(slots.substr(60, 5), "GGGGF") << slots;
    EXPECT_EQ(slots.substr(90, 2), "GF") << slots;
    EXPECT_EQ(std::count(slots.begin(), slots.end(), 'G'), 5) << slots;
    // Every slot of the 5 s is in the file, frame or gap.
    EXPECT_NEAR(double(slots.size()), 150, 2);
}

// A source writing 44.1 kHz stereo for every span of the clock, with the sample value `v`.
void Produce(TCircleBufferThread* ring, int64_t from, int64_t to, int16_t v) {
    const int64_t frames = to * 44100 / 1000 - from * 44100 / 1000;
    if (!ring || frames <= 0)
        return;
    const std::vector<int16_t> data(size_t(frames) * 2, v);
    ring->Write(data.data(), int(data.size() * 2));
}

TEST(VideoRecorderClock, ChunksCarryTheirRemainderAtEveryFrameRate) {
    struct Case {
        int fps;
        std::vector<int> first;
    };
    // 44100 / 24 = 1837.5 frames: 1837 and 1838 alternate; 30 fps 1470; 60 fps 735.
    const Case cases[] = {{24, {7348, 7352, 7348, 7352}},
                          {30, {5880, 5880, 5880, 5880}},
                          {60, {2940, 2940, 2940, 2940}}};
    for (const Case& c : cases) {
        TRVideoRecorderOptions o = TinyScreen(c.fps);
        o.RecordMic = true;
        const auto log =
            Record(o, 2000, {}, [](TRVideoRecorderThread& t, int64_t from, int64_t to) {
                Produce(t.MicBuffer(), from, to, 1000);
            });
        SCOPED_TRACE(c.fps);
        ASSERT_GE(log->chunkBytes.size(), size_t(c.fps));
        EXPECT_EQ(std::vector<int>(log->chunkBytes.begin(), log->chunkBytes.begin() + 4), c.first);
        // One second of chunks is one second of sound.
        int64_t second = 0;
        for (int i = 0; i < c.fps; ++i)
            second += log->chunkBytes[size_t(i)];
        EXPECT_EQ(second, 44100 * 4);
    }
}

TEST(VideoRecorderClock, MixingSaturatesAt32700) {
    struct Case {
        int16_t a, b, sum;
    };
    const Case cases[] = {{20000, 20000, 32700}, {-20000, -20000, -32700}, {100, -50, 50},
                          {32767, 0, 32700},     {-32768, 0, -32700},      {16350, 16350, 32700},
                          {16350, 16349, 32699}};
    for (const Case& c : cases) {
        int16_t b = c.b;
        MixAudio(&c.a, &b, 1);
        EXPECT_EQ(b, c.sum) << c.a << " + " << c.b;
    }
}

TEST(VideoRecorderClock, SoundKeepsThePictureClockAfterATwoSecondStall) {
    // Ten minutes at 30 fps with both sources; the microphone delivers nothing from 60 s to
    // 62 s and then its whole backlog at once.
    TRVideoRecorderOptions o = TinyScreen(30);
    o.RecordMic = o.RecordSC = true;
    const auto log = Record(o, 600000, {}, [](TRVideoRecorderThread& t, int64_t from, int64_t to) {
        Produce(t.SCBuffer(), from, to, 100);
        if (to <= 60000 || from >= 62000)
            Produce(t.MicBuffer(), from, to, 1000);
        else if (to >= 62000)
            Produce(t.MicBuffer(), 60000, to, 1000);
    });
    ASSERT_TRUE(log->stopped);
    const int chunkMs = 1000 / 30 + 1;
    EXPECT_NEAR(double(log->videoEndMs), 600000, 100);
    EXPECT_LE(std::abs(log->videoEndMs - log->audioEndMs), chunkMs)
        << log->videoEndMs << " " << log->audioEndMs;
    // During the stall the sound went on as the system sound alone.
    const size_t during = size_t(61000 * 30 / 1000);
    EXPECT_EQ(log->firstSamples[during], 100);
    EXPECT_EQ(log->firstSamples[size_t(30000 * 30 / 1000)], 1100);
    EXPECT_EQ(log->firstSamples[size_t(120000 * 30 / 1000)], 1100);
}

TEST(VideoRecorderClock, FormatAndBitRateTables) {
    const std::tuple<int, bool, int> formats[] = {
        {1, true, 1},  {2, true, 2},  {3, true, 3}, {4, true, 4}, {6, true, 6},  {7, true, 7},
        {6, false, 1}, {7, false, 1}, {0, true, 1}, {5, true, 1}, {99, false, 1}};
    for (const auto& [format, video, expected] : formats)
        EXPECT_EQ(RecorderOutputFormat(format, video), expected) << format << video;
    const std::pair<int, int> rates[] = {{0, 12000}, {1, 16000}, {2, 20000},
                                         {3, 24000}, {4, 24000}, {-1, 24000}};
    for (const auto& [code, rate] : rates)
        EXPECT_EQ(RecorderAudioBytesPS(code), rate) << code;
}

TEST(VideoRecorderClock, AGifWithoutPictureRecordsOnlyTheSoundAsM4a) {
    // Neither screen nor camera: the GIF request becomes a sound-only recording through the
    // real encoder, fed at the sound's own pace with a 440 Hz tone.
    QTemporaryDir dir;
    TRVideoRecorderOptions o;
    o.RecordMic = true;
    o.OutputFormat = VideoOutputGIF;
    o.OutputFramePS = 30;
    o.OutputFileName = dir.filePath("voice");
    TRVideoRecorder recorder;
    recorder.Breadcrumb = [](const QString&) {};
    recorder.SetParams(o);
    recorder.Start();
    ASSERT_NE(recorder.GetMicBuffer(), nullptr);
    const std::vector<int16_t> tone = signals::sine(440, 44100, 2, 441 * 150, 0.3);
    const int64_t start = CaptureClockMs();
    recorder.SetStartTime(start);
    recorder.SetRecording(true);
    // 1.5 s in 10-ms pieces of whole cycles, as many as the time passed asks for, so that a
    // late wake-up on a busy machine leaves no gap.
    for (size_t at = 0; at < tone.size();) {
        const size_t due = std::min(size_t(CaptureClockMs() - start) / 10 * 441 * 2, tone.size());
        for (; at < due; at += 441 * 2)
            recorder.GetMicBuffer()->Write(tone.data() + at, 441 * 4);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(recorder.Stop());
    EXPECT_EQ(recorder.FileName(), o.OutputFileName + ".m4a");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"voice.m4a"});
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,codec_name", "-of",
                            "csv=p=0", recorder.FileName()});
    probe.waitForFinished(60000);
    EXPECT_EQ(probe.readAllStandardOutput().trimmed(), "aac,audio");
    TAudioReader audio;
    ASSERT_TRUE(audio.OpenFile(recorder.FileName()));
    ASSERT_TRUE(audio.SetFormat(44100, 2, 16));
    EXPECT_NEAR(double(audio.Duration()), 1500, 250);
    // The second half second holds the tone.
    std::vector<int16_t> pcm(44100);
    uint32_t flags = 0;
    for (int half = 0; half < 2; ++half)
        audio.LoadData(22050, reinterpret_cast<uint8_t*>(pcm.data()), flags);
    EXPECT_NEAR(signals::frequency(pcm.data(), 22050, 2, 44100), 440, 5);
    EXPECT_GT(signals::rms(pcm.data(), 22050, 2), 0.1);
}

// A pointer source whose calls block until the test lets them go.
class BlockingCursor : public TRCursorSource {
public:
    bool GetCursor(int, TCursorRecord&, TPointerShape&, TCursorRecord&, TCursorRecord&) override {
        ++Calls;
        Entered = true;
        while (!Released)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    }
    std::atomic<int> Calls{0};
    std::atomic<bool> Entered{false}, Released{false};
};

TEST(VideoRecorderClock, DetachingTheCursorWaitsForARunningCall) {
    auto log = std::make_shared<EncoderLog>();
    TRVideoRecorderThread thread(TinyScreen(30), nullptr);
    thread.CreateEncoder = [log](int) { return std::make_unique<LoggingEncoder>(log, nullptr); };
    BlockingCursor cursor;
    thread.SetCursorRecorderThread(&cursor);
    const std::vector<uint8_t> picture(16 * 8 * 4, 0x80);
    thread.SetScreenData(picture.data(), 16, 8, 64);
    thread.SetStartTime(CaptureClockMs());
    thread.StartRecording();
    thread.Start();
    while (!cursor.Entered)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto detached =
        std::async(std::launch::async, [&] { thread.SetCursorRecorderThread(nullptr); });
    EXPECT_EQ(detached.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    cursor.Released = true;
    detached.get();
    const int calls = cursor.Calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(cursor.Calls, calls);
    thread.Terminate();
    ASSERT_TRUE(thread.WaitFor(10000));
}

// A facade whose worker uses an encoder that refuses to start.
class RefusedRecorder : public TRVideoRecorder {
protected:
    std::unique_ptr<TRVideoRecorderThread> CreateThread(QObject* receiver) override {
        auto thread = std::make_unique<TRVideoRecorderThread>(FData, receiver);
        thread->CreateEncoder = [](int) {
            auto encoder = std::make_unique<TMFEncoder>();
            return encoder;
        };
        return thread;
    }
};

TEST(VideoRecorderClock, AStopWithoutAFileSaysSo) {
    QTemporaryDir dir;
    std::vector<QString> crumbs, reports;
    SetServerMessageSink([&](const QString& status, bool) {
        reports.push_back(status);
        return QString();
    });
    // A picture too large to draw: the set-up fails, nothing is composed or written.
    TRVideoRecorderOptions huge;
    huge.RecordScreen = true;
    huge.ScreenWidth = 40000, huge.ScreenHeight = 2;
    huge.OutputFileName = dir.filePath("huge");
    TRVideoRecorder recorder;
    recorder.Breadcrumb = [&](const QString& s) { crumbs.push_back(s); };
    recorder.SetParams(huge);
    recorder.Start();
    recorder.SetRecording(true);
    // The worker fails in its set-up; on a loaded machine that takes a while to happen.
    for (int i = 0; i < 1000 && !recorder.VideoRecorderThread()->GetStatus().endsWith("_10"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(recorder.VideoRecorderThread()->GetStatus().endsWith("88990001_10"))
        << recorder.VideoRecorderThread()->GetStatus().toStdString();
    EXPECT_FALSE(recorder.Stop());
    EXPECT_TRUE(recorder.FileName().isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(std::any_of(crumbs.begin(), crumbs.end(),
                            [](const QString& s) { return s.endsWith("_EndStop"); }));
    // An encoder that cannot start: the worker idles, and the stop reports no file.
    TRVideoRecorderOptions small = TinyScreen(30);
    small.OutputFileName = dir.filePath("small");
    small.OutputFramePS = 0;
    RefusedRecorder refused;
    refused.Breadcrumb = [](const QString&) {};
    refused.SetParams(small);
    refused.Start();
    refused.SetRecording(true);
    // A stop before the worker tried its encoder would have nothing to report yet.
    for (int i = 0; i < 1000 && refused.VideoRecorderThread()->GetStatus().size() <= 6; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(refused.Stop());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    SetServerMessageSink(nullptr);
    // Both failures were reported with the file they were to write.
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[0].startsWith("Error:")) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].endsWith("88990001_10 : " + huge.OutputFileName + ".1"))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[1].contains(small.OutputFileName)) << reports[1].toStdString();
}

} // namespace
