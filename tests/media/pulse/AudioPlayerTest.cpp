#include "media/UAudioPlayer.h"
#include "platform/audio/Stream.h"
#include "tests/platform/audio/SoundServer.h"
#include "tests/support/AudioSignals.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

class AudioPlayerTest : public testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SOUND_SERVER();
        // Tests run side by side: each plays into a sink of its own, made the default one of
        // this process's connections.
        sinkName_ = QString("tavrin_player_") +
                    testing::UnitTest::GetInstance()->current_test_info()->name();
        sink_ = std::make_unique<soundserver::NullSink>(sinkName_);
        ASSERT_TRUE(sink_->loaded());
        qputenv("PULSE_SINK", sinkName_.toUtf8());
        path_ = dir_.filePath("tone.m4a");
        fixtures::writeTone(path_, {"ipod", "aac", 48000, 2, 3.0, 440, 0.5, false});
    }

    // What the test's sink plays, from its monitor, from the first sound on.
    std::vector<int16_t> hear(int frames) {
        platform::audio::CaptureStream monitor({44100, 2}, (sinkName_ + ".monitor").toStdString());
        std::vector<int16_t> heard, chunk(8820);
        QElapsedTimer timer;
        timer.start();
        while (heard.size() < size_t(frames) * 2 && timer.elapsed() < 6000) {
            const size_t got = monitor.read(chunk.data(), chunk.size() * 2) / 2;
            for (size_t i = 0; i < got; ++i)
                if (!heard.empty() || chunk[i] != 0)
                    heard.push_back(chunk[i]);
            QThread::msleep(20);
        }
        return heard;
    }

    void TearDown() override { qunsetenv("PULSE_SINK"); }

    QString sinkName_;
    std::unique_ptr<soundserver::NullSink> sink_;
    QTemporaryDir dir_;
    QString path_;
};

} // namespace

TEST_F(AudioPlayerTest, ToneIsHeardOnTheMonitor) {
    TAudioPlayer player;
    ASSERT_TRUE(player.SetFile(path_));
    EXPECT_NEAR(player.Duration(), 3000, 50);
    for (int tempo : {1000, 1500}) {
        player.SetPosition(0);
        player.Play(tempo, true);
        EXPECT_TRUE(player.Running());
        const auto heard = hear(30000);
        player.Stop();
        EXPECT_FALSE(player.Running());
        ASSERT_GE(heard.size(), 60000u) << tempo;
        // The same pitch at every tempo (the windows' seams add a few crossings); without
        // the pitch kept, 1500 would sound at 660 Hz.
        EXPECT_NEAR(signals::frequency(heard.data() + 8820, 25000, 2, 44100), 440.0, 11.0) << tempo;
        EXPECT_NEAR(signals::rms(heard.data() + 8820, 25000, 2), 0.5 / std::sqrt(2.0), 0.05);
    }
}

TEST_F(AudioPlayerTest, PositionsArePostedAndPlayRestarts) {
    TAudioPlayer player;
    ASSERT_TRUE(player.SetFile(path_));
    std::vector<int64_t> positions;
    player.OnPosition = [&](TAudioPlayer* sender, int64_t position) {
        EXPECT_EQ(sender, &player);
        positions.push_back(position);
    };
    player.Play(0, true);    // a tempo of 0 plays at normal speed
    player.Play(1000, true); // playing again stops the first playback first
    // Waits for five positions, not for a fixed time: a busy machine may start playback late.
    QElapsedTimer timer;
    timer.start();
    while (positions.size() < 5 && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    player.Stop();
    const qint64 elapsed = timer.elapsed();
    QCoreApplication::processEvents();
    ASSERT_GE(positions.size(), 5u);
    EXPECT_GT(positions.front(), 30);
    for (size_t i = 1; i < positions.size(); ++i)
        EXPECT_GT(positions[i] - positions[i - 1], 30);
    // A position never runs ahead of the time played.
    EXPECT_LT(positions.back(), elapsed + 100);
}

TEST_F(AudioPlayerTest, NothingHappensWithoutAFile) {
    TAudioPlayer player;
    EXPECT_FALSE(player.SetFile(dir_.filePath("missing.m4a")));
    player.Play(1000, true);
    EXPECT_FALSE(player.Running());
    player.Stop();
    player.SetVolume(1.7f);
    EXPECT_EQ(player.Duration(), 0);
}

// A gain above 1 amplifies and saturates at the export's limit (32700), so the preview
// sounds as the export will.
TEST_F(AudioPlayerTest, GainAboveOneAmplifiesAndSaturatesAsTheExportDoes) {
    TAudioPlayer player;
    ASSERT_TRUE(player.SetFile(path_));
    player.SetVolume(1.7f); // the 0.5 tone plays at 0.85
    player.Play(1000, true);
    auto heard = hear(20000);
    player.Stop();
    ASSERT_GE(heard.size(), 40000u);
    EXPECT_NEAR(signals::rms(heard.data() + 8820, 15000, 2), 0.85 / std::sqrt(2.0), 0.05);

    player.SetPosition(0);
    player.SetVolume(3.0f); // 1.5 of full scale: clipped
    player.Play(1000, true);
    heard = hear(20000);
    player.Stop();
    ASSERT_GE(heard.size(), 40000u);
    const auto [low, high] = std::minmax_element(heard.begin() + 8820, heard.end());
    EXPECT_NEAR(*high, 32700, 40);
    EXPECT_NEAR(*low, -32700, 40);
    // Most of each period sits at the limit: far more than any unclipped sine.
    const auto atLimit = std::count_if(heard.begin() + 8820, heard.end(),
                                       [](int16_t v) { return std::abs(v) >= 32600; });
    EXPECT_GT(double(atLimit) / double(heard.size() - 8820), 0.3);
}
