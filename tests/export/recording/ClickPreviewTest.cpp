// The click sounds of a screen recording played against a real sound server: while the editor
// plays, each release sounds once, at its time.
#include "media/UAudioPlayer.h"
#include "objects/kinds/URScreenRecorder.h"
#include "platform/audio/Stream.h"
#include "tests/export/recording/RecordingFolder.h"
#include "tests/platform/audio/SoundServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <cmath>
#include <numbers>

namespace {

using namespace recordingtest;

// A pointer sampled every 16 ms, as the recorder samples it, with releases at 400 and 704 ms.
std::vector<recording::Sample> DenseSamples() {
    std::vector<recording::Sample> samples;
    for (std::int32_t t = 0; t <= 1008; t += 16)
        samples.push_back({t, 10, 10, t == 400 ? LeftUp : t == 704 ? RightUp : 0, 0});
    return samples;
}

// Where 10-ms windows of the left channel rise above a 200th of the loudest power at the
// click's main tone, in ms from the first sample; rises within 100 ms of one belong to it.
std::vector<int> ClickOnsetsMs(const std::vector<int16_t>& heard) {
    constexpr int Window = 441;
    const double k = 2 * std::cos(2 * std::numbers::pi * 2600 / 44100);
    std::vector<double> power;
    for (std::size_t at = 0; (at + Window) * 2 <= heard.size(); at += Window) {
        double s1 = 0, s2 = 0;
        for (int i = 0; i < Window; ++i) {
            const double s0 = heard[(at + std::size_t(i)) * 2] + k * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        power.push_back(s1 * s1 + s2 * s2 - k * s1 * s2);
    }
    std::vector<int> onsets;
    if (power.empty())
        return onsets;
    // The quiet tone leaves the click's band more than a thousand times below a click; a click
    // the server only partly played before its stop is still well above a 200th of the
    // loudest.
    const double loud = *std::max_element(power.begin(), power.end()) / 200;
    for (std::size_t w = 0; w < power.size(); ++w)
        if (power[w] > loud && (w == 0 || power[w - 1] <= loud) &&
            (onsets.empty() || int(w) * 10 - onsets.back() > 100))
            onsets.push_back(int(w) * 10);
    return onsets;
}

class ClickPreview : public RecordingFolderTest {
protected:
    void SetUp() override {
        // Tests run side by side: this one plays into a sink of its own, named before the
        // process's connection to the server is made (it reads the name once).
        qputenv("PULSE_SINK", "tavrin_clicks");
        sink_ = std::make_unique<soundserver::NullSink>("tavrin_clicks",
                                                        soundserver::NullSink::Rewinds::Off);
        SKIP_WITHOUT_SOUND_SERVER();
        ASSERT_TRUE(sink_->loaded());
        RecordingFolderTest::SetUp();
    }
    void TearDown() override {
        qunsetenv("PULSE_SINK");
        RecordingFolderTest::TearDown();
    }

    std::unique_ptr<soundserver::NullSink> sink_;
    QString folder_;
};

TEST_F(ClickPreview, EachReleaseSoundsOnceAtItsTime) {
    auto project = Recovered(RecordingFolder(true, DenseSamples()));
    folder_ = dir_.filePath("busy/");
    ASSERT_TRUE(QDir().mkpath(folder_));
    fixtures::writeTone(folder_ + "busy.m4a", {"ipod", "aac", 44100, 2, 8.0, 300, 0.05, false});
    TRObject* recording = nullptr;
    for (const auto& object : project->Objects())
        if (object->ObjectType() == otScreenRecorder)
            recording = object.get();
    ASSERT_TRUE(recording);
    ASSERT_TRUE(static_cast<TRScreenRecorder*>(recording)->ClickPlayer());
    platform::audio::CaptureStream monitor({44100, 2}, "tavrin_clicks.monitor");
    std::vector<int16_t> heard, chunk(8820);
    const auto listen = [&] {
        const size_t got = monitor.read(chunk.data(), chunk.size() * 2) / 2;
        heard.insert(heard.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(got));
    };
    // A quiet tone keeps the sink running, so that what it plays reaches its monitor at once.
    TAudioPlayer tone;
    ASSERT_TRUE(tone.SetFile(folder_ + "busy.m4a"));
    tone.Play(1000, true);
    QElapsedTimer waited;
    waited.start();
    while (heard.empty() && waited.elapsed() < 6000) {
        listen();
        heard.erase(std::remove(heard.begin(), heard.end(), int16_t(0)), heard.end());
        QThread::msleep(10);
    }
    ASSERT_FALSE(heard.empty()) << "the sink's monitor delivers nothing";
    heard.clear();
    // The editor's playback: the play head moves every 30 ms and the sounds follow it.
    QElapsedTimer clock;
    clock.start();
    for (std::int32_t t = 0; t <= 1000; t += 30) {
        project->SetTimePosition(t);
        project->PlayAudio();
        while (clock.elapsed() < t + 30) {
            QCoreApplication::processEvents();
            listen();
            QThread::msleep(5);
        }
    }
    project->StopAudio();
    while (clock.elapsed() < 4000) {
        listen();
        QThread::msleep(10);
    }
    const std::vector<int> onsets = ClickOnsetsMs(heard);
    ASSERT_EQ(onsets.size(), 2u) << "one sound per release, heard at "
                                 << testing::PrintToString(onsets);
    // The releases are 304 ms apart; the play head finds them within one 30 ms step, and a
    // busy machine delays a step now and then.
    EXPECT_NEAR(onsets[1] - onsets[0], 304, 80);
}

} // namespace
