// The preview of an audio clip on a real sound server: the level it plays at, compared with
// what the export writes, and where it starts and stops along the timeline.
#include "core/URProject.h"
#include "media/UAudioPlayer.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropAudio.h"
#include "objects/kinds/URAudio.h"
#include "objects/kinds/URKindsRegistry.h"
#include "platform/audio/Stream.h"
#include "tests/platform/audio/SoundServer.h"
#include "tests/support/AudioSignals.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class AudioPreviewTest : public testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SOUND_SERVER();
        // Each test plays into a sink of its own, the default one of this process.
        sinkName_ = QString("tavrin_preview_") +
                    testing::UnitTest::GetInstance()->current_test_info()->name();
        sink_ = std::make_unique<soundserver::NullSink>(sinkName_);
        ASSERT_TRUE(sink_->loaded());
        qputenv("PULSE_SINK", sinkName_.toUtf8());
        RegisterEngineKinds();
        RegisterDrawableKinds();
        project_ = std::make_unique<TRProject>();
        project_->TempFolder = dir_.path() + QLatin1Char('/');
    }
    void TearDown() override {
        project_.reset();
        qunsetenv("PULSE_SINK");
    }

    // A clip at 0 on a tone of `seconds` at `level` of full scale.
    std::unique_ptr<TRAudio> Clip(double seconds, double level) {
        fixtures::writeTone(project_->TempFolder + "tone.wav",
                            {"wav", "pcm_s16le", 44100, 2, seconds, 440, level, false});
        auto clip = std::make_unique<TRAudio>(project_.get(), otAudio);
        clip->SetTimeStartField(0);
        EXPECT_TRUE(clip->LoadMediaEx("tone.wav"));
        return clip;
    }

    // What the sink plays, from its monitor, from the first sound on.
    std::vector<int16_t> Hear(int frames) {
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

    QString sinkName_;
    std::unique_ptr<soundserver::NullSink> sink_;
    QTemporaryDir dir_;
    std::unique_ptr<TRProject> project_;
};

} // namespace

// At volume 2 a tone at 0.3 of full scale is heard at 0.6, as the export writes it.
TEST_F(AudioPreviewTest, GainTwoPlaysAtTheExportedLevel) {
    auto clip = Clip(3.0, 0.3);
    clip->Get<TRPropAudio>(ptAudio)->FVolume = 2.0f;
    clip->PrepareAudioToPlay(0);
    clip->SetTimePosition(100);
    clip->PlayAudio();
    ASSERT_TRUE(clip->AudioTrack().Player()->Running());
    const auto heard = Hear(30000);
    clip->StopAudio();
    ASSERT_GE(heard.size(), 60000u);
    const double previewed = signals::rms(heard.data() + 8820, 20000, 2);
    EXPECT_NEAR(previewed, 0.6 / std::sqrt(2.0), 0.04);

    ASSERT_TRUE(clip->ExportAudio(project_->TempFolder + "out.wav"));
    QFile file(project_->TempFolder + "out.wav");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll().mid(46 + 44100 * 4, 20000 * 4);
    const double exported = signals::rms(reinterpret_cast<const int16_t*>(bytes.data()), 20000, 2);
    EXPECT_NEAR(previewed, exported, 0.03);
}

// The player starts inside the clip, stops once the playhead passes the clip's end, and never
// starts past the end of the media.
TEST_F(AudioPreviewTest, PlaybackFollowsTheClipOnTheTimeline) {
    auto clip = Clip(3.0, 0.5);
    TAudioPlayer& player = *clip->AudioTrack().Player();
    clip->SetTimeEnd(1000);
    clip->PrepareAudioToPlay(500);
    EXPECT_NEAR(player.Position(), 500, 30);
    clip->SetTimePosition(500);
    clip->PlayAudio();
    EXPECT_TRUE(player.Running());
    clip->SetTimePosition(1000);
    clip->PlayAudio();
    EXPECT_TRUE(player.Running());
    clip->SetTimePosition(1001);
    clip->PlayAudio();
    EXPECT_FALSE(player.Running());

    // The clip reaches past the media's end (3 s): from 4 s on nothing is left to play.
    clip->SetTimeEnd(5000);
    clip->PrepareAudioToPlay(4000);
    EXPECT_EQ(player.Position(), player.Duration());
    clip->SetTimePosition(4000);
    clip->PlayAudio();
    EXPECT_FALSE(player.Running());
}
