#include "media/UAudioWaveForm.h"
#include "tests/support/audio/AudioFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Waits on the event loop until the builder has published its arrays.
bool waitUntilCompleted(const TAudioWaveForm& waveform, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!waveform.Completed() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return waveform.Completed();
}

// The arrays computed straight from the reader's 48 kHz PCM.
TAudioAnalysis analyseFile(const QString& name) {
    TAudioReader reader;
    EXPECT_TRUE(reader.OpenFile(name) && reader.SetFormat(48000, 2, 16));
    TAudioAnalysis analysis(reader.Duration());
    std::vector<int16_t> chunk(1600);
    for (int64_t i = 0; i < analysis.ChunkCount(); ++i) {
        uint32_t flags = 0;
        reader.LoadData(800, reinterpret_cast<uint8_t*>(chunk.data()), flags);
        analysis.AddChunk(i, chunk.data());
    }
    analysis.Finish();
    return analysis;
}

class AudioWaveFormTest : public testing::Test {
protected:
    void SetUp() override {
        media_ = dir_.filePath("clip.m4a");
        fixtures::writeTone(media_, {"ipod", "aac", 44100, 2, 2.5, 440, 0.7, false});
        TAudioReader reader;
        ASSERT_TRUE(reader.OpenFile(media_));
        duration_ = reader.Duration();
    }
    QTemporaryDir dir_;
    QString media_;
    int64_t duration_ = 0;
};

} // namespace

TEST_F(AudioWaveFormTest, ComputesWritesAndThenLoadsTheCaches) {
    int notified = 0;
    {
        TAudioWaveForm waveform;
        waveform.SetOnAudioEndWaveFormProc([&](bool canChange) {
            EXPECT_TRUE(canChange);
            ++notified;
        });
        waveform.SetFile(media_, 0, 0, duration_);
        EXPECT_TRUE(waveform.Data().empty()); // nothing is published before it is complete
        ASSERT_TRUE(waitUntilCompleted(waveform));
        EXPECT_EQ(notified, 1);
        auto expected = analyseFile(media_);
        EXPECT_EQ(waveform.Data(), expected.Data());
        ASSERT_EQ(waveform.Loudness().size(), expected.Loudness().size());
        EXPECT_EQ(std::memcmp(waveform.Loudness().data(), expected.Loudness().data(),
                              expected.Loudness().size() * 4),
                  0);
        EXPECT_EQ(int64_t(waveform.Data().size()), duration_ * 60 / 1000);
        EXPECT_EQ(contents(TAudioWaveForm::WaveFormFileName(media_)),
                  QByteArray(reinterpret_cast<const char*>(waveform.Data().data()),
                             qsizetype(waveform.Data().size())));
        EXPECT_EQ(contents(TAudioWaveForm::LoudnessFileName(media_)).size(),
                  qsizetype((duration_ / 100 + 1) * 4));
    }
    TAudioWaveForm cached;
    cached.SetOnAudioEndWaveFormProc([&](bool) { ++notified; });
    cached.SetFile(media_, 0, 0, duration_);
    EXPECT_TRUE(cached.Completed()); // at once, no thread
    EXPECT_FALSE(cached.Computing());
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(cached.Data(), analyseFile(media_).Data());
    EXPECT_EQ(cached.Loudness().back(), 1.0f);
}

TEST_F(AudioWaveFormTest, AWrongSizedCacheIsRebuilt) {
    {
        TAudioWaveForm first;
        first.SetFile(media_, 0, 0, duration_);
        ASSERT_TRUE(waitUntilCompleted(first));
    }
    const QString cache = TAudioWaveForm::LoudnessFileName(media_);
    const QByteArray good = contents(cache);
    QFile file(cache);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(good.left(good.size() - 4));
    file.close();
    TAudioWaveForm waveform;
    waveform.SetFile(media_, 0, 0, duration_);
    EXPECT_FALSE(waveform.Completed());
    ASSERT_TRUE(waitUntilCompleted(waveform));
    EXPECT_EQ(contents(cache), good);
    EXPECT_EQ(waveform.Loudness().size(), size_t(good.size() / 4));
}

TEST_F(AudioWaveFormTest, StoppedOrFailedComputationsLeaveNoCaches) {
    const QString longer = dir_.filePath("long.wav");
    fixtures::writeTone(longer, {"wav", "pcm_s16le", 48000, 2, 20.0, 440, 0.5, false});
    {
        TAudioWaveForm waveform;
        waveform.SetFile(longer, 0, 0, 20000);
        EXPECT_TRUE(waveform.Computing());
    }
    EXPECT_FALSE(QFile::exists(TAudioWaveForm::WaveFormFileName(longer)));
    EXPECT_FALSE(QFile::exists(TAudioWaveForm::LoudnessFileName(longer)));

    const QString junk = dir_.filePath("junk.mp3");
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000, 'j'));
    file.close();
    bool notified = false;
    TAudioWaveForm waveform;
    waveform.SetOnAudioEndWaveFormProc([&](bool) { notified = true; });
    waveform.SetFile(junk, 0, 0, 1000);
    EXPECT_FALSE(waitUntilCompleted(waveform, 500));
    EXPECT_FALSE(notified);
    EXPECT_FALSE(QFile::exists(TAudioWaveForm::WaveFormFileName(junk)));
}

// An export waits for the analysis without turning the event loop: the wait ends when the
// builder does and publishes at once, notifying once; a failed builder ends the wait early.
TEST_F(AudioWaveFormTest, WaitingEndsWithTheBuilderAndPublishesOnce) {
    int notified = 0;
    TAudioWaveForm waveform;
    waveform.SetOnAudioEndWaveFormProc([&](bool) { ++notified; });
    EXPECT_FALSE(waveform.WaitCompleted(5000)); // no file set: nothing to wait for
    waveform.SetFile(media_, 0, 0, duration_);
    ASSERT_TRUE(waveform.WaitCompleted(20000));
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(int64_t(waveform.Data().size()), duration_ * 60 / 1000);
    EXPECT_GT(waveform.Loudness().back(), 0.0f); // the completion marker
    QCoreApplication::processEvents(); // the builder's queued hand-over finds nothing left
    EXPECT_EQ(notified, 1);
    EXPECT_TRUE(waveform.WaitCompleted(0));

    const QString junk = dir_.filePath("junk.wav");
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000, 'j'));
    file.close();
    TAudioWaveForm failed;
    failed.SetFile(junk, 0, 0, 1000);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(failed.WaitCompleted(5000));
    EXPECT_LT(timer.elapsed(), 4000);
}

TEST(AudioMeasureLoudnessOfFiles, SineSilenceAndFailures) {
    QTemporaryDir dir;
    const QString full = dir.filePath("full.wav"), quiet = dir.filePath("quiet.flac"),
                  shortFile = dir.filePath("short.wav");
    fixtures::writeTone(full, {"wav", "pcm_s16le", 48000, 2, 3.0, 997, 1.0, false});
    fixtures::writeTone(quiet, {"flac", "flac", 44100, 2, 3.0, 997, 0.1, false});
    fixtures::writeTone(shortFile, {"wav", "pcm_s16le", 48000, 2, 0.3, 997, 1.0, false});
    EXPECT_NEAR(MeasureLoudness(full, 0, 3000), 0.0, 0.15);
    EXPECT_NEAR(MeasureLoudness(quiet, 0, 3000), -20.0, 0.3); // resampled from 44.1 kHz
    EXPECT_EQ(MeasureLoudness(shortFile, 0, 300), NoLoudness);
    EXPECT_EQ(MeasureLoudness(dir.filePath("missing.wav"), 0, 1000), NoLoudness);
    const QString silent = dir.filePath("silent.wav");
    fixtures::writeTone(silent, {"wav", "pcm_s16le", 48000, 2, 2.0, 997, 0.0, false});
    EXPECT_EQ(MeasureLoudness(silent, 0, 2000), NoLoudness);
}
