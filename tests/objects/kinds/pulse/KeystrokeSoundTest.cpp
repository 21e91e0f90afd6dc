// The keystroke badge's click: no sound without a readable "keystroke.wav", the click in the
// export's mix from the end of the transition in and cut at the badge's end, and in preview on
// the sound server once the playhead has passed the transition in.
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URUtils.h"
#include "media/UAudioPlayer.h"
#include "media/URAudioExporter.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropKeystroke.h"
#include "objects/kinds/URKeystroke.h"
#include "objects/kinds/URKindsRegistry.h"
#include "platform/audio/Stream.h"
#include "tests/platform/audio/SoundServer.h"
#include "tests/support/AudioSignals.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// The stereo frame at `ms` of a 44.1 kHz mix.
constexpr int FrameAt(int ms) {
    return ms * 441 / 10;
}
constexpr int MixFrames = 2 * 44100; // a two-second mix

class KeystrokeSound : public testing::Test {
protected:
    void SetUp() override {
        RegisterEngineKinds();
        RegisterDrawableKinds();
        project_ = std::make_unique<TRProject>();
        savedCursorFolder_ = CursorFolder;
        CursorFolder = dir_.path() + '/';
    }
    void TearDown() override {
        project_.reset();
        CursorFolder = savedCursorFolder_;
        qunsetenv("PULSE_SINK");
    }

    // An 800 ms tone of 1 kHz at half of full scale as the click.
    void WriteClick() {
        fixtures::writeTone(CursorFolder + "keystroke.wav",
                            {"wav", "pcm_s16le", 44100, 2, 0.8, 1000, 0.5, false});
    }

    // A badge from `start` to `end` ms with its click on and, when `transitionIn` > 0, a
    // transition in of that length.
    std::unique_ptr<TRKeystroke> Badge(std::int32_t start, std::int32_t end,
                                       std::int32_t transitionIn) {
        auto badge = std::make_unique<TRKeystroke>(project_.get(), otKeystroke);
        badge->SetTimeStartField(start);
        badge->SetTimeEnd(end);
        badge->Get<TRPropKeystroke>(ptKeystroke, true)->FSoundEffect = true;
        badge->TrIn()->SetChecked(transitionIn > 0);
        badge->TrIn()->FDuration = transitionIn;
        return badge;
    }

    // The stereo samples of the export's mix of `badge`.
    std::vector<int16_t> Mix(TRKeystroke& badge) {
        TRAudioExporter exporter(QString(), 30);
        exporter.TempPath = dir_.path();
        exporter.FrameEnd = MixFrames / 1470 - 1;
        badge.AddAudioToVideoExporter(exporter);
        EXPECT_TRUE(exporter.Save());
        QFile file(exporter.FileName());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        file.seek(46);
        const QByteArray bytes = file.readAll();
        std::vector<int16_t> samples(size_t(bytes.size()) / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        samples.resize(size_t(MixFrames) * 2);
        return samples;
    }

    static bool Silent(const std::vector<int16_t>& samples, int fromFrame, int toFrame) {
        for (int i = fromFrame * 2; i < toFrame * 2; ++i)
            if (samples[size_t(i)] != 0)
                return false;
        return true;
    }

    QTemporaryDir dir_;
    std::unique_ptr<TRProject> project_;
    QString savedCursorFolder_;
};

} // namespace

TEST_F(KeystrokeSound, NoReadableClickNoSound) {
    auto missing = Badge(0, 1000, 0);
    EXPECT_EQ(missing->ClickPlayer(), nullptr);
    EXPECT_EQ(missing->ClickReader(), nullptr);
    missing->SetTimePosition(100);
    missing->PlayAudio(); // ignored
    missing->StopAudio();
    EXPECT_TRUE(Silent(Mix(*missing), 0, MixFrames));
    // A file that no decoder takes keeps no reader, so the mix gets nothing from it.
    QFile broken(CursorFolder + "keystroke.wav");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(4000, 'x'));
    broken.close();
    auto unreadable = Badge(0, 1000, 0);
    EXPECT_EQ(unreadable->ClickReader(), nullptr);
    EXPECT_TRUE(Silent(Mix(*unreadable), 0, MixFrames));
}

TEST_F(KeystrokeSound, ClickInTheMix) {
    WriteClick();
    const struct {
        std::int32_t start, end, transitionIn;
        int soundFrom, soundTo; // ms
        bool soundOn;
    } cases[] = {
        // A 300 ms badge cuts the 800 ms click at the end of its last grid frame (frame 9,
        // ending at 10 x 1470 frames, 333 ms).
        {0, 300, 0, 0, 333, true},
        // After a 500 ms transition in (grid frame 15) the whole click, to 1300 ms.
        {0, 2000, 500, 500, 1300, true},
        // Starting at 200 ms (grid frame 6), a 600 ms badge ends at grid frame 24 (833 ms).
        {200, 800, 0, 200, 833, true},
        {0, 2000, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        auto badge = Badge(c.start, c.end, c.transitionIn);
        ASSERT_NE(badge->ClickReader(), nullptr);
        badge->Get<TRPropKeystroke>(ptKeystroke, true)->FSoundEffect = c.soundOn;
        const std::vector<int16_t> mix = Mix(*badge);
        const int from = FrameAt(c.soundFrom), to = FrameAt(c.soundTo);
        EXPECT_TRUE(Silent(mix, 0, from)) << c.start << " " << c.end;
        EXPECT_TRUE(Silent(mix, to + FrameAt(1), MixFrames)) << c.start << " " << c.end;
        if (c.soundOn) {
            EXPECT_NEAR(signals::rms(mix.data() + (from + 441) * 2, to - from - 882, 2),
                        0.5 / std::sqrt(2.0), 0.03)
                << c.start << " " << c.end;
        }
    }
}

TEST_F(KeystrokeSound, PreviewClickWaitsForTheTransitionIn) {
    SKIP_WITHOUT_SOUND_SERVER();
    // The click plays into a sink of this test's own, made the default of this process.
    const QString sink = "tavrin_keystroke_click";
    soundserver::NullSink nullSink(sink);
    ASSERT_TRUE(nullSink.loaded());
    qputenv("PULSE_SINK", sink.toUtf8());
    WriteClick();
    auto badge = Badge(1000, 3000, 500);
    ASSERT_NE(badge->ClickPlayer(), nullptr);
    platform::audio::CaptureStream monitor({44100, 2}, (sink + ".monitor").toStdString());
    std::vector<int16_t> chunk(8820);
    for (std::int32_t time : {900, 1000, 1200, 1499}) {
        badge->SetTimePosition(time);
        badge->PlayAudio();
        EXPECT_FALSE(badge->ClickPlayer()->Running()) << time;
    }
    QThread::msleep(200);
    for (size_t got; (got = monitor.read(chunk.data(), chunk.size() * 2) / 2) > 0;)
        for (size_t i = 0; i < got; ++i)
            ASSERT_EQ(chunk[i], 0) << "nothing sounds during the transition in";
    badge->SetTimePosition(1500);
    badge->PlayAudio();
    EXPECT_TRUE(badge->ClickPlayer()->Running());
    // Heard on the sink's monitor: the tone at its level.
    std::vector<int16_t> heard;
    QElapsedTimer timer;
    timer.start();
    while (heard.size() < 44100 && timer.elapsed() < 6000) {
        const size_t got = monitor.read(chunk.data(), chunk.size() * 2) / 2;
        for (size_t i = 0; i < got; ++i)
            if (!heard.empty() || chunk[i] != 0)
                heard.push_back(chunk[i]);
        QThread::msleep(20);
    }
    ASSERT_GE(heard.size(), 44100u);
    EXPECT_NEAR(signals::frequency(heard.data() + 4410, 17000, 2, 44100), 1000.0, 25.0);
    // A running click is left alone, and stops once the playhead passes the badge's end.
    badge->SetTimePosition(2000);
    badge->PlayAudio();
    EXPECT_TRUE(badge->ClickPlayer()->Running());
    badge->SetTimePosition(3001);
    badge->PlayAudio();
    EXPECT_FALSE(badge->ClickPlayer()->Running());
}
