// The audio recorder on the tests' sound server: a tone played into a null sink of the test's
// own, recorded from the sink's monitor, and a 48 kHz sine source recorded as a microphone, both
// read back from their AAC tracks; levels, volume and mute, a stop before recording, a device
// that goes away and one that cannot be opened.
#include "capture/UMFAudioRecorder.h"
#include "core/URServerMessages.h"
#include "media/UAudioReader.h"
#include "platform/audio/Devices.h"
#include "platform/audio/Stream.h"
#include "tests/platform/audio/SoundServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <thread>
#include <vector>

namespace audio = platform::audio;

namespace {

constexpr int Rate = 44100;

// Runs the event loop for `ms` milliseconds, so that posted messages arrive.
void Pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Runs the event loop until `done` or 3 s have passed.
template <class F> bool PumpUntil(F done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

// The left channel of a track, decoded at 44.1 kHz.
std::vector<float> ReadTrack(const QString& path, int64_t& durationMs) {
    TAudioReader reader;
    if (!reader.OpenFile(path) || !reader.SetFormat(Rate, 2, 16))
        return {};
    durationMs = reader.Duration();
    const uint32_t frames = uint32_t(durationMs * Rate / 1000);
    std::vector<int16_t> pcm(size_t(frames) * 2);
    uint32_t flags = 0;
    reader.LoadData(frames, reinterpret_cast<uint8_t*>(pcm.data()), flags);
    std::vector<float> left(frames);
    for (uint32_t i = 0; i < frames; ++i)
        left[i] = float(pcm[size_t(i) * 2]) / 32768.0f;
    return left;
}

struct Measure {
    double hz = 0;
    double rms = 0;
};

// Frequency (by rising zero crossings) and RMS level of samples [from, to) of `s`.
Measure Analyse(const std::vector<float>& s, int64_t fromMs, int64_t toMs) {
    const size_t a = size_t(fromMs * Rate / 1000),
                 b = std::min(s.size(), size_t(toMs * Rate / 1000));
    Measure m;
    if (b <= a + 1)
        return m;
    size_t first = 0, last = 0, crossings = 0;
    double sum = 0;
    for (size_t i = a; i < b; ++i) {
        sum += double(s[i]) * s[i];
        if (i > a && s[i - 1] < 0 && s[i] >= 0) {
            if (crossings == 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    m.rms = std::sqrt(sum / double(b - a));
    if (crossings > 1)
        m.hz = double(crossings - 1) * Rate / double(last - first);
    return m;
}

// Plays a sine tone into a playback device until destroyed.
class TonePlayer {
public:
    TonePlayer(const std::string& sink, double hz, double level)
        : thread_([this, sink, hz, level] { Run(sink, hz, level); }) {}
    ~TonePlayer() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run(const std::string& sink, double hz, double level) {
        audio::PlaybackStream stream({Rate, 2}, sink, 200);
        std::vector<int16_t> block;
        int64_t n = 0;
        bool started = false;
        while (!stop_) {
            const size_t frames = stream.writableBytes() / 4;
            block.resize(frames * 2);
            for (size_t i = 0; i < frames; ++i, ++n) {
                const double v = level * std::sin(2 * std::numbers::pi * hz * double(n) / Rate);
                block[i * 2] = block[i * 2 + 1] = int16_t(std::lround(v * 32767));
            }
            stream.write(block.data(), frames * 4);
            if (!started)
                stream.start();
            started = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A 48 kHz sine source (amplitude 0.5) that lives as long as the object. The source works
// with a fixed latency of 2 s: it hands over 2 s of sound at once every 2 s.
class SineSource {
public:
    explicit SineSource(const QString& name)
        : module_(soundserver::pactl({"load-module", "module-sine-source", "source_name=" + name,
                                      "rate=48000", "frequency=440"})) {}
    ~SineSource() {
        if (Loaded())
            soundserver::pactl({"unload-module", module_});
    }
    bool Loaded() const { return !module_.isEmpty(); }

private:
    QString module_;
};

// A null sink of the test's own playing a tone. A stream on its monitor holds the sink's
// latency short before the tone starts, so the monitor hands over sound every 10 ms.
class ToneSink {
public:
    ToneSink(const QString& name, double hz, double level) : sink_(name) {
        if (!sink_.loaded())
            return;
        keeper_ = std::make_unique<audio::CaptureStream>(audio::StreamFormat{Rate, 2},
                                                         (name + ".monitor").toStdString(), 10);
        tone_ = std::make_unique<TonePlayer>(name.toStdString(), hz, level);
        Pump(300);
    }
    ~ToneSink() { Unload(); }
    bool Loaded() const { return sink_.loaded(); }
    void Unload() {
        keeper_.reset();
        sink_.unload();
        tone_.reset();
    }

private:
    soundserver::NullSink sink_;
    std::unique_ptr<audio::CaptureStream> keeper_;
    std::unique_ptr<TonePlayer> tone_;
};

// The longest stretch of windows of `ms` whose level is above `rms`: [from, to) in ms.
std::pair<int64_t, int64_t> LoudPart(const std::vector<float>& s, int64_t durationMs, double rms,
                                     int ms = 50) {
    std::pair<int64_t, int64_t> best{0, 0};
    int64_t start = -1;
    for (int64_t t = 0; t + ms <= durationMs + ms; t += ms) {
        const bool loud = t + ms <= durationMs && Analyse(s, t, t + ms).rms > rms;
        if (loud && start < 0)
            start = t;
        if (!loud && start >= 0) {
            if (t - start > best.second - best.first)
                best = {start, t};
            start = -1;
        }
    }
    return best;
}

class AudioRecorderTest : public testing::Test {
protected:
    void SetUp() override {
        SetServerMessageSink([this](const QString& status, bool) {
            reports.push_back(status);
            return QString();
        });
    }
    void TearDown() override { SetServerMessageSink(nullptr); }

    // Records for `on1` ms, pauses for `pause` ms, records for `on2` ms and stops; keeps the
    // time recorded as the test's clock measured it.
    void Record(TMFAudioRecorder& recorder, int on1, int pause, int on2) {
        recorder.OnLevel = [this](int level) { levels.push_back(level); };
        recorder.Breadcrumb = [](const QString&) {};
        recorder.Start(false);
        WaitForSound();
        RecordFor(recorder, on1);
        if (pause > 0) {
            Pump(pause);
            RecordFor(recorder, on2);
        }
        recorder.Terminate();
        recorder.Stop();
    }

    void RecordFor(TMFAudioRecorder& recorder, int ms, const std::function<void()>& between = {}) {
        QElapsedTimer timer;
        timer.start();
        recorder.SetRecording(true);
        Pump(ms);
        if (between) {
            between();
            Pump(ms);
        }
        recorder.SetRecording(false);
        recordedMs += timer.elapsed();
    }

    // A new stream takes up to a second before its first sound: the recorder's tool bar opens
    // the device well before the recording starts, and so do the tests.
    void WaitForSound() {
        PumpUntil([this] { return !levels.empty(); });
    }

    QTemporaryDir dir;
    std::vector<int> levels;
    std::vector<QString> reports;
    int64_t recordedMs = 0;
};

TEST_F(AudioRecorderTest, SystemSoundIsTheSinkMonitorAndFollowsTheRecordedTime) {
    SKIP_WITHOUT_SOUND_SERVER();
    ToneSink sink("tavrin_rec_sound", 1000, 0.5);
    ASSERT_TRUE(sink.Loaded());
    TMFAudioRecorder recorder;
    recorder.SetParams(AudioDeviceSystemSound, Rate, 24000, 1000, dir.filePath("sound"), true,
                       "tavrin_rec_sound");
    Record(recorder, 700, 500, 500);
    int64_t duration = 0;
    const auto track = ReadTrack(dir.filePath("sound.m4a"), duration);
    ASSERT_FALSE(track.empty());
    // The pause is left out: 700 + 500 ms recorded.
    EXPECT_NEAR(double(duration), double(recordedMs), 100.0);
    const Measure m = Analyse(track, 100, duration - 100);
    EXPECT_NEAR(m.hz, 1000.0, 5.0);
    EXPECT_NEAR(m.rms, 0.5 / std::sqrt(2.0), 0.02);
    // Levels are peaks in percent: the tone's 50.
    ASSERT_FALSE(levels.empty());
    EXPECT_NEAR(levels.back(), 50, 2);
    EXPECT_EQ(recorder.Volume(), 0); // system sound has no volume of its own
}

TEST_F(AudioRecorderTest, MicrophoneAt48kHzIsResampledTo44100) {
    SKIP_WITHOUT_SOUND_SERVER();
    SineSource sine("tavrin_rec_sine");
    ASSERT_TRUE(sine.Loaded());
    TMFAudioRecorder recorder;
    recorder.SetParams(AudioDeviceMicrophone, Rate, 24000, 1000, dir.filePath("mic"), true,
                       "tavrin_rec_sine");
    // The source hands over 2 s at a time: a recording of 2.5 s takes at least one delivery,
    // which goes into the track at the clock's pace; the time before it is silence.
    Record(recorder, 2500, 0, 0);
    ASSERT_EQ(recorder.RecorderThread(), nullptr);
    int64_t duration = 0;
    const auto track = ReadTrack(dir.filePath("mic.m4a"), duration);
    ASSERT_FALSE(track.empty());
    EXPECT_NEAR(double(duration), double(recordedMs), 100.0);
    const auto [from, to] = LoudPart(track, duration, 0.1);
    ASSERT_GT(to - from, 300);
    const Measure m = Analyse(track, from + 50, to - 50);
    EXPECT_NEAR(m.hz, 440.0, 3.0);
    EXPECT_NEAR(m.rms, 0.5 / std::sqrt(2.0), 0.02);
}

TEST_F(AudioRecorderTest, LevelsArriveWithoutRecordingAndStopLeavesNoFile) {
    SKIP_WITHOUT_SOUND_SERVER();
    ToneSink sink("tavrin_rec_levels", 500, 0.25);
    ASSERT_TRUE(sink.Loaded());
    TMFAudioRecorder recorder;
    recorder.SetParams(AudioDeviceSystemSound, Rate, 24000, 1000, dir.filePath("sound"), true,
                       "tavrin_rec_levels");
    recorder.OnLevel = [this](int level) { levels.push_back(level); };
    recorder.Breadcrumb = [](const QString&) {};
    recorder.Start(false);
    EXPECT_TRUE(PumpUntil([&] { return levels.size() >= 5; }));
    ASSERT_FALSE(levels.empty());
    EXPECT_NEAR(levels.back(), 25, 2);
    recorder.Terminate();
    recorder.Stop();
    EXPECT_FALSE(QFile::exists(dir.filePath("sound.m4a")));
    EXPECT_TRUE(reports.empty());
}

TEST_F(AudioRecorderTest, VolumeAndMuteReadAndWriteTheSource) {
    SKIP_WITHOUT_SOUND_SERVER();
    SineSource sine("tavrin_rec_sine3");
    ASSERT_TRUE(sine.Loaded());
    TMFAudioRecorder recorder;
    recorder.SetParams(AudioDeviceMicrophone, Rate, 24000, 1000, QString(), true,
                       "tavrin_rec_sine3");
    std::vector<std::pair<int, int>> volumes;
    recorder.OnLevel = [](int) {};
    recorder.OnVolume = [&](int volume, int mute) { volumes.emplace_back(volume, mute); };
    recorder.Breadcrumb = [](const QString&) {};
    recorder.Start(false);
    // The state at open arrives first.
    ASSERT_TRUE(PumpUntil([&] { return !volumes.empty(); }));
    EXPECT_EQ(volumes.front(), std::make_pair(100, 0));

    soundserver::pactl({"set-source-mute", "tavrin_rec_sine3", "1"});
    EXPECT_TRUE(PumpUntil([&] { return volumes.back().second == 1; }));

    const auto muted = [] {
        return audio::deviceVolume(audio::Flow::Capture, "tavrin_rec_sine3")->muted;
    };
    recorder.ToggleMute();
    EXPECT_FALSE(muted());
    recorder.ToggleMute();
    EXPECT_TRUE(muted());
    recorder.ToggleMute();
    EXPECT_FALSE(muted());

    recorder.SetVolume(40);
    EXPECT_EQ(recorder.Volume(), 40);
    EXPECT_TRUE(PumpUntil([&] { return volumes.back() == std::make_pair(40, 0); }));
    recorder.Terminate();
    recorder.Stop();
}

TEST_F(AudioRecorderTest, ASourceThatGoesAwayGivesSilenceToTheEnd) {
    SKIP_WITHOUT_SOUND_SERVER();
    ToneSink sink("tavrin_rec_gone", 1000, 0.5);
    ASSERT_TRUE(sink.Loaded());
    TMFAudioRecorder recorder;
    // A monitor recorded as a microphone, named by its id.
    recorder.SetParams(AudioDeviceMicrophone, Rate, 24000, 1000, dir.filePath("mic"), true,
                       "tavrin_rec_gone.monitor");
    recorder.OnLevel = [this](int level) { levels.push_back(level); };
    recorder.Breadcrumb = [](const QString&) {};
    recorder.Start(false);
    WaitForSound();
    RecordFor(recorder, 600, [&] { sink.Unload(); });
    recorder.Terminate();
    recorder.Stop();
    int64_t duration = 0;
    const auto track = ReadTrack(dir.filePath("mic.m4a"), duration);
    ASSERT_FALSE(track.empty());
    EXPECT_NEAR(double(duration), double(recordedMs), 100.0);
    EXPECT_NEAR(Analyse(track, 100, 500).rms, 0.5 / std::sqrt(2.0), 0.02);
    // The tone ends about 600 ms before the end; silence stands in once the source has been
    // quiet for a while, so the last 200 ms are silent however late the tone arrived.
    EXPECT_LT(Analyse(track, duration - 200, duration).rms, 0.001);
}

TEST_F(AudioRecorderTest, ASourceThatCannotBeOpenedIsReported) {
    SKIP_WITHOUT_SOUND_SERVER();
    // The device list still answers through the open connection; the stream's own connection
    // finds no server.
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/tavrin");
    QString error;
    {
        TMFAudioRecorder recorder;
        recorder.SetParams(AudioDeviceMicrophone, Rate, 24000, 1000, dir.filePath("mic"), true,
                           QString());
        recorder.OnError = [&](const QString& text) { error = text; };
        recorder.Breadcrumb = [](const QString&) {};
        recorder.Start(false);
        recorder.SetRecording(true);
        EXPECT_TRUE(PumpUntil([&] { return !error.isEmpty(); }));
        recorder.Terminate();
        recorder.Stop();
    }
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
    EXPECT_FALSE(QFile::exists(dir.filePath("mic.m4a")));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].startsWith("Error:")) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].contains(":AudioRecorderThread_open_")) << reports[0].toStdString();
}

} // namespace
