// The sound track of clips through the audio clip: media times, loudness and gain from known
// curves, the volume, the export of the sound alone and the mix-down into a video export.

#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "media/UAudioLoudness.h"
#include "media/UAudioWaveForm.h"
#include "media/URAudioExporter.h"
#include "objects/URPropAudio.h"
#include "objects/kinds/URAudio.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/support/AudioSignals.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QFile>
#include <cmath>

namespace {

// The samples of one of the program's WAV files (46-byte header, stereo 16-bit).
std::vector<int16_t> WavSamples(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll().mid(46);
    std::vector<int16_t> samples(size_t(bytes.size() / 2));
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// The mean square a loudness curve holds for a block of `lufs`.
float MeanSquareOf(double lufs) {
    return float(std::pow(10.0, (lufs + 0.691) / 10.0));
}

class AudioTrackTest : public KindsTest {
protected:
    void SetUp() override {
        KindsTest::SetUp();
        savedNormalize_ = SettingsRecord.NormalizeLoudness;
        SettingsRecord.NormalizeLoudness = 0;
    }
    void TearDown() override {
        SettingsRecord.NormalizeLoudness = savedNormalize_;
        KindsTest::TearDown();
    }

    // A tone of `seconds` in the project's folder under `name`, and an audio clip on it at 0.
    std::unique_ptr<TRAudio> Clip(const QString& name, double seconds = 2.0, double level = 0.5) {
        fixtures::writeTone(project_->TempFolder + name,
                            {"wav", "pcm_s16le", 44100, 2, seconds, 1000, level, false});
        auto clip = std::make_unique<TRAudio>(project_.get(), otAudio);
        clip->SetTimeStartField(0);
        EXPECT_TRUE(clip->LoadMediaEx(name));
        return clip;
    }

    // A clip whose analysis is the given waveform bytes and loudness curve (written as the
    // caches beside its sound before it opens).
    std::unique_ptr<TRAudio> ClipWithCurves(const std::function<uint8_t(size_t, size_t)>& peak,
                                            const std::function<float(size_t, size_t)>& block) {
        const QString name = QStringLiteral("curves.wav");
        const QString path = project_->TempFolder + name;
        fixtures::writeTone(path, {"wav", "pcm_s16le", 44100, 2, 2.0, 1000, 0.5, false});
        std::vector<uint8_t> data(size_t(WaveFormBytes(2000)));
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = peak(i, data.size());
        TSingleArray curve(size_t(LoudnessValues(2000)));
        for (size_t i = 0; i + 1 < curve.size(); ++i)
            curve[i] = block(i, curve.size() - 1);
        curve.back() = 1.0f; // complete
        WriteFile(TAudioWaveForm::WaveFormFileName(path), data.data(), data.size());
        WriteFile(TAudioWaveForm::LoudnessFileName(path), curve.data(), curve.size() * 4);
        auto clip = std::make_unique<TRAudio>(project_.get(), otAudio);
        clip->SetTimeStartField(0);
        EXPECT_TRUE(clip->LoadMediaEx(name));
        EXPECT_TRUE(clip->AudioTrack().WaveForm()->Completed());
        return clip;
    }

    static void WriteFile(const QString& path, const void* data, size_t bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(static_cast<const char*>(data), qint64(bytes));
    }

    static TRPropAudio& Volume(TRAudio& clip) { return *clip.Get<TRPropAudio>(ptAudio); }

    std::uint8_t savedNormalize_ = 0;
};

} // namespace

TEST_F(AudioTrackTest, MediaTimesRunPerMille) {
    const struct {
        const char* name;
        std::int32_t speed, mediaStart, mediaEnd, timeStart;
        bool loop;
        std::int32_t time, expected;
    } cases[] = {
        {"before the clip", 1000, 2000, 5000, 10000, false, 9000, 2000},
        {"100 %", 1000, 2000, 5000, 10000, false, 11000, 3000},
        {"past the media end", 1000, 2000, 5000, 10000, false, 14000, 5000},
        {"200 %", 2000, 2000, 5000, 10000, false, 11000, 4000},
        {"200 % looping over 1500 ms", 2000, 2000, 5000, 10000, true, 11600, 2200},
        {"200 % not looping", 2000, 2000, 5000, 10000, false, 11600, 5000},
        {"loop with start = end", 1000, 3000, 3000, 10000, true, 12000, 3000},
        // In whole percent 125.5 % would play 1250 ms of media.
        {"125.5 %", 1255, 0, 100000, 0, false, 1000, 1255},
        // (2003 - 2000) × 1000 div 4000 = 0: no loop of under 1 ms divides by zero.
        {"loop period under 1 ms", 4000, 2000, 2003, 10000, true, 10001, 2000},
    };
    TRAudio clip(project_.get(), otAudio);
    for (const auto& c : cases) {
        clip.MediaSpeed()->SetSpeed(c.speed);
        clip.SetMediaStart(c.mediaStart);
        clip.SetMediaEnd(c.mediaEnd);
        clip.SetTimeStartField(c.timeStart);
        EXPECT_EQ(ClipMediaTime(clip, c.time, c.loop), c.expected) << c.name;
    }
}

TEST_F(AudioTrackTest, OpensWithTheReaderAtTheExportFormatAndSpansTheSound) {
    auto clip = Clip(QStringLiteral("tone.wav"), 1.5);
    ASSERT_TRUE(clip->HasAudio());
    EXPECT_EQ(clip->ObjectName(), QStringLiteral("Audio ") + QString::number(clip->ObjectId()));
    EXPECT_FALSE(clip->HasPlacement());
    EXPECT_FALSE(clip->CanAddAnimation());
    EXPECT_FALSE(clip->TrIn()->Checked());
    TAudioReader& reader = *clip->AudioTrack().Reader();
    EXPECT_EQ(reader.DestinationSamplesPerSecond(), 44100u);
    EXPECT_EQ(reader.DestinationNumChannels(), 2u);
    EXPECT_EQ(clip->MediaStart(), 0);
    EXPECT_EQ(clip->MediaEnd(), 1500);
    EXPECT_EQ(clip->TimeEnd(), 1500); // not snapped to the frame grid

    TRAudio missing(project_.get(), otAudio);
    EXPECT_FALSE(missing.LoadMediaEx(QStringLiteral("none.wav")));
    EXPECT_FALSE(missing.HasAudio());
    EXPECT_FALSE(missing.ExportAudio(project_->TempFolder + QStringLiteral("out.wav")));
    EXPECT_EQ(missing.GetLoudness(), -70.0f);
    EXPECT_EQ(missing.GetMaxGainVolume(), 200);
}

TEST_F(AudioTrackTest, MaximumGainFollowsTheLoudestPeakOfTheUsedPart) {
    const struct {
        int peak, expected;
    } cases[] = {{100, 100}, {0, 200}, {99, 98}, {50, 196}, {1, 9800}};
    for (const auto& c : cases) {
        auto clip = ClipWithCurves([&](size_t, size_t) { return uint8_t(c.peak); },
                                   [](size_t, size_t) { return 0.0f; });
        EXPECT_EQ(clip->GetMaxGainVolume(), c.expected) << c.peak;
    }
    // Peak 100 in the first second, 50 in the second: the answer follows the used part, also
    // after a first answer was remembered.
    auto clip = ClipWithCurves([](size_t i, size_t n) { return uint8_t(i < n / 2 ? 100 : 50); },
                               [](size_t, size_t) { return 0.0f; });
    EXPECT_EQ(clip->GetMaxGainVolume(), 100);
    EXPECT_EQ(clip->GetMaxGainVolume(), 100);
    clip->SetMediaStart(1100);
    EXPECT_EQ(clip->GetMaxGainVolume(), 196);
}

TEST_F(AudioTrackTest, LoudnessAndNormalisedVolume) {
    // Every block at -20 LUFS; the group aims at -14: 10^(6/20).
    auto clip = ClipWithCurves([](size_t, size_t) { return uint8_t(50); },
                               [](size_t, size_t) { return MeanSquareOf(-20); });
    ASSERT_TRUE(clip->CanUseLoudness());
    EXPECT_NEAR(clip->GetLoudness(), -20.0f, 0.001f);
    TRPropAudio& group = Volume(*clip);
    group.FVolume = 0.8f;
    EXPECT_FLOAT_EQ(clip->GetVolume(), 0.8f);
    group.FNormalizeLoudness = true;
    group.FLoudness = -14;
    EXPECT_NEAR(clip->GetVolume(), 1.995f, 0.001f);
    // The gain query remembers its own segment and leaves the loudness's alone.
    EXPECT_EQ(clip->GetMaxGainVolume(), 196);
    EXPECT_NEAR(clip->GetLoudness(), -20.0f, 0.001f);

    // Silence measures -70 and the volume falls back to the group's.
    auto silent = ClipWithCurves([](size_t, size_t) { return uint8_t(0); },
                                 [](size_t, size_t) { return 0.0f; });
    EXPECT_EQ(silent->GetLoudness(), -70.0f);
    Volume(*silent).FNormalizeLoudness = true;
    Volume(*silent).FVolume = 0.6f;
    EXPECT_FLOAT_EQ(silent->GetVolume(), 0.6f);

    // The first second at -20 (mean square a), the second at -30 (a / 10). The last block
    // read is the fifth from the curve's end (16 of 0..20): ten blocks of a and seven of a / 10,
    // all above the relative gate (10 dB below their mean), read
    // 10 × log10((10 a + 0.7 a) / 17) - 0.691 = -20 + 10 × log10(10.7 / 17) = -22.011; the
    // second second alone reads -30.
    auto halves =
        ClipWithCurves([](size_t, size_t) { return uint8_t(50); },
                       [](size_t i, size_t n) { return MeanSquareOf(i < n / 2 ? -20 : -30); });
    EXPECT_NEAR(halves->GetLoudness(), -22.011f, 0.01f);
    halves->SetMediaStart(1000);
    EXPECT_NEAR(halves->GetLoudness(), -30.0f, 0.01f);
}

TEST_F(AudioTrackTest, ExportWritesTheGridFramesWithFadesAndVolume) {
    auto clip = Clip(QStringLiteral("tone.wav"), 2.0, 0.5);
    clip->SetTimeEnd(1000); // 1 s: frames 0 .. 30
    Volume(*clip).FFadeIN = 500;
    const TRAudioExportPlan plan = clip->AudioTrack().ExportPlan();
    EXPECT_EQ(plan.Frames, 30);
    EXPECT_EQ(plan.FadeInEnd, 15);
    EXPECT_EQ(plan.FadeOutStart, 30);

    // The extension's case does not matter; the encoder's own lower-case one is written.
    ASSERT_TRUE(clip->ExportAudio(project_->TempFolder + QStringLiteral("clip.WAV")));
    const QString written = project_->TempFolder + QStringLiteral("clip.wav");
    ASSERT_TRUE(QFile::exists(written));
    const std::vector<int16_t> samples = WavSamples(written);
    ASSERT_EQ(samples.size(), size_t(31 * 1470 * 2));
    const auto frameRms = [&](int frame) { return signals::rms(&samples[frame * 2940], 1470, 2); };
    const double full = 0.5 / std::sqrt(2.0);
    EXPECT_EQ(frameRms(0), 0.0);                   // gain 0
    EXPECT_NEAR(frameRms(5), full * 5 / 15, 0.01); // gain V × 5 / 15
    EXPECT_NEAR(frameRms(20), full, 0.01);         // past the fade-in
}

TEST_F(AudioTrackTest, ExportGainAboveOneSaturatesAtTheMixLimit) {
    auto clip = Clip(QStringLiteral("loud.wav"), 1.0, 0.7);
    Volume(*clip).FVolume = 2.0f;
    ASSERT_TRUE(clip->ExportAudio(project_->TempFolder + QStringLiteral("loud.wav.out.wav")));
    const auto samples = WavSamples(project_->TempFolder + QStringLiteral("loud.wav.out.wav"));
    ASSERT_FALSE(samples.empty());
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    EXPECT_EQ(*high, 32700);
    EXPECT_EQ(*low, -32700);
}

TEST_F(AudioTrackTest, ExportReplacesTheRealExtensionAndReportsFailures) {
    auto clip = Clip(QStringLiteral("tone.wav"), 1.0);
    const struct {
        const char* given;
        const char* written;
        const char* codec;
    } cases[] = {
        {"clip.flac", "clip.m4a", "aac"},
        {"noext", "noext.m4a", "aac"},
        {"song.Mp3", "song.mp3", "libmp3lame"},
    };
    for (const auto& c : cases) {
        if (!fixtures::hasEncoder(c.codec))
            continue;
        EXPECT_TRUE(clip->ExportAudio(project_->TempFolder + QLatin1String(c.given))) << c.given;
        EXPECT_TRUE(QFile::exists(project_->TempFolder + QLatin1String(c.written))) << c.given;
        TAudioReader reader;
        EXPECT_TRUE(reader.OpenFile(project_->TempFolder + QLatin1String(c.written)));
        EXPECT_NEAR(reader.Duration(), 1000, 80) << c.given;
    }
    EXPECT_FALSE(QFile::exists(project_->TempFolder + QStringLiteral("clip..m4a")));

    const QString nowhere = project_->TempFolder + QStringLiteral("missing/clip.wav");
    EXPECT_FALSE(clip->ExportAudio(nowhere));
    EXPECT_FALSE(clip->AudioTrack().LastError().isEmpty());
    EXPECT_FALSE(clip->ExportAudio(project_->TempFolder + QStringLiteral("missing/clip.m4a")));
}

// Before the plan reads the volume, the export waits for the analysis that brings the loudness
// (a 1 kHz sine at half scale in both channels reads about -6 LUFS).
TEST_F(AudioTrackTest, ExportWaitsForTheAnalysisBeforeItNormalises) {
    auto clip = Clip(QStringLiteral("fresh.wav"), 3.0, 0.5);
    ASSERT_FALSE(clip->AudioTrack().WaveForm()->Completed());
    Volume(*clip).FNormalizeLoudness = true;
    Volume(*clip).FLoudness = -14;
    const TRAudioExportPlan plan = clip->AudioTrack().ExportPlan();
    EXPECT_TRUE(clip->AudioTrack().WaveForm()->Completed());
    EXPECT_NEAR(plan.Volume, std::pow(10.0, -8.0 / 20), 0.02);
}

TEST_F(AudioTrackTest, MixDownPlacesTheClipOnTheGrid) {
    auto clip = Clip(QStringLiteral("tone.wav"), 2.0, 0.5);
    clip->SetTimeStartField(1000);
    clip->SetTimeEnd(2000); // one second of sound from 1 s
    Volume(*clip).FVolume = 0.5f;
    TRAudioExporter exporter;
    exporter.TempPath = project_->TempFolder;
    exporter.FrameEnd = 90;
    clip->AddAudioToVideoExporter(exporter);
    ASSERT_TRUE(exporter.Save());
    const auto samples = WavSamples(exporter.FileName());
    ASSERT_GE(samples.size(), size_t(90 * 2940));
    const double half = 0.25 / std::sqrt(2.0);
    EXPECT_EQ(signals::rms(&samples[0], 44100, 2), 0.0); // before the clip
    EXPECT_NEAR(signals::rms(&samples[44100 * 2 + 2940], 40000, 2), half, 0.01);
    EXPECT_EQ(signals::rms(&samples[(60 + 2) * 2940], 20 * 1470, 2), 0.0); // after its end
}
