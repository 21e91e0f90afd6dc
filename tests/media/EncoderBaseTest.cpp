// The encoder family's shared rules: slot times, audio chunks that carry their remainder,
// variable frame rate and gaps, statistics, the bit-rate tables, what happens before a start,
// after a failed one and when nothing was added, and the hardware probe.
#include "media/UMFEncoderGif.h"
#include "media/UMFEncoderH264.h"
#include "media/UMFencoderAAC.h"
#include "media/UMFencoderWEBP.h"
#include "media/UMFencoderWMV.h"
#include "platform/media/EncoderCatalog.h"
#include "platform/media/StreamFacts.h"
#include "tests/support/media/EncoderChecks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

using namespace platform::media;

namespace {

constexpr int Side = 16;

std::vector<uint8_t> flatFrame(int value) {
    return encoderchecks::stampedFrame(value, Side, Side);
}

TEST(EncoderArithmetic, SlotTimesAreRoundedExactMultiples) {
    EXPECT_EQ(SlotTime(0, 30), 0);
    EXPECT_EQ(SlotTime(1, 30), 333'333);
    EXPECT_EQ(SlotTime(2, 30), 666'667);
    EXPECT_EQ(SlotTime(3, 30), 1'000'000);
    // An hour of slots lands exactly on the hour.
    EXPECT_EQ(SlotTime(24 * 3600, 24), 3600 * TicksPerSecond);
}

TEST(EncoderArithmetic, AudioChunksCarryTheirRemainder) {
    struct Case {
        int rate, fps;
        std::vector<int64_t> firstChunks;
    };
    const Case cases[] = {
        {44100, 30, {1470, 1470, 1470}},
        {44100, 25, {1764, 1764}},
        {44100, 24, {1837, 1838, 1837, 1838}},
        {48000, 60, {800, 800}},
        {44100, 60, {735, 735}},
    };
    for (const Case& c : cases) {
        for (size_t k = 0; k < c.firstChunks.size(); ++k)
            EXPECT_EQ(AudioFramesBefore(int64_t(k) + 1, c.rate, c.fps) -
                          AudioFramesBefore(int64_t(k), c.rate, c.fps),
                      c.firstChunks[k])
                << c.rate << " Hz at " << c.fps << " fps, chunk " << k;
        // After an hour of chunks the sound is exactly an hour long.
        EXPECT_EQ(AudioFramesBefore(int64_t(c.fps) * 3600, c.rate, c.fps), int64_t(c.rate) * 3600);
    }
}

TEST(EncoderArithmetic, BitRateTables) {
    const std::pair<int, int64_t> heights[] = {
        {360, 1'000'000},  {361, 2'500'000},   {480, 2'500'000},   {720, 5'000'000},
        {1080, 8'000'000}, {1081, 16'000'000}, {1440, 16'000'000}, {2160, 35'000'000}};
    for (const auto& [height, rate] : heights)
        EXPECT_EQ(BitRateForHeight(height), rate) << height;
    EXPECT_EQ(WmvBitRate(1920, 1080, 30, 80), 13'934'592);
    // 8K at 120 fps: the raw byte rate alone is beyond 32 bits.
    EXPECT_EQ(WmvBitRate(7680, 4320, 120, 100), 1'114'767'360);
    EXPECT_EQ(GifColoursForQuality(50), 32);
    EXPECT_EQ(GifColoursForQuality(80), 166);
    EXPECT_EQ(GifColoursForQuality(100), 256);
    EXPECT_EQ(GifColoursForQuality(42), 2);
    EXPECT_EQ(GifColoursForQuality(0), 2);
    EXPECT_EQ(GifColoursForQuality(1000), 256);
}

TEST(EncoderParams, AudioOnlyExtensions) {
    TMFEncoderH264Ex video;
    video.SetParams(0, 0, 30, 80, true, 44100, 16000, "a");
    EXPECT_FALSE(video.Video());
    EXPECT_EQ(video.FileName(), "a.m4a");
    TMFEncoderMP3 mp3;
    mp3.SetParams(0, 0, 30, 80, true, 44100, 16000, "b");
    EXPECT_EQ(mp3.FileName(), "b.mp3");
    TMFEncoderPCM wav;
    wav.SetParams(0, 0, 30, 80, true, 44100, 16000, "c");
    EXPECT_EQ(wav.FileName(), "c.wav");
}

// What each encoder does when it is not started, when its start fails and when it is stopped
// with nothing added.
struct LifecycleCase {
    const char* name;
    std::function<std::unique_ptr<TMFEncoder>()> make;
    bool video;
};

std::ostream& operator<<(std::ostream& out, const LifecycleCase& c) {
    return out << c.name;
}

template <typename T> std::function<std::unique_ptr<TMFEncoder>()> maker(bool animation = false) {
    return [animation] {
        auto encoder = std::make_unique<T>();
        encoder->Animation = animation;
        return encoder;
    };
}

const LifecycleCase lifecycleCases[] = {
    {"H264", maker<TMFEncoderH264Ex>(), true},   {"WMV", maker<TMFEncoderWMV>(), true},
    {"M4A", maker<TMFEncoderAAC>(), false},      {"MP3", maker<TMFEncoderMP3>(), false},
    {"WAV", maker<TMFEncoderPCM>(), false},      {"GIF", maker<TMFEncoderGIF>(), true},
    {"WebP", maker<TMFEncoderWEBP>(true), true},
};

class EncoderLifecycle : public testing::TestWithParam<LifecycleCase> {
protected:
    std::unique_ptr<TMFEncoder> make(const QString& name) {
        auto encoder = GetParam().make();
        const int side = GetParam().video ? Side : 0;
        encoder->SetParams(side, side, 30, 80, true, 44100, 16000, name);
        return encoder;
    }

    QTemporaryDir dir;
    const std::vector<uint8_t> frame = flatFrame(1);
    const std::vector<int16_t> sound = encoderchecks::tone(0, 1470);
    const uint8_t* soundBytes() const { return reinterpret_cast<const uint8_t*>(sound.data()); }
};

TEST_P(EncoderLifecycle, NothingHappensBeforeStart) {
    auto encoder = make(dir.filePath("out"));
    if (GetParam().video)
        EXPECT_EQ(encoder->AddVideoFrame(frame.data()), MF_S_NOTHING);
    else
        EXPECT_EQ(encoder->AddAudioFrame(soundBytes()), MF_S_NOTHING);
    EXPECT_EQ(encoder->StopEncode(), MF_S_NOTHING);
    EXPECT_FALSE(QFile::exists(encoder->FileName()));
}

TEST_P(EncoderLifecycle, FailedStartIsReportedAndLeavesTheEncoderIdle) {
    auto encoder = make(dir.filePath("missing/folder/out"));
    EXPECT_NE(encoder->StartEncode(), MF_S_OK);
    EXPECT_FALSE(encoder->LastError().isEmpty());
    if (GetParam().video)
        EXPECT_EQ(encoder->AddVideoFrame(frame.data()), MF_S_NOTHING);
    else
        EXPECT_EQ(encoder->AddAudioFrame(soundBytes()), MF_S_NOTHING);
    EXPECT_EQ(encoder->StopEncode(), MF_S_NOTHING);
}

TEST_P(EncoderLifecycle, StopWithNothingAddedWritesNoFileAndSaysSo) {
    for (bool variableRate : {false, true}) {
        auto encoder = make(dir.filePath(variableRate ? "vfr" : "cfr"));
        encoder->UseVFR = variableRate;
        ASSERT_EQ(encoder->StartEncode(), MF_S_OK) << encoder->LastError().toStdString();
        EXPECT_EQ(encoder->StopEncode(), E_MF_NO_FRAMES);
        EXPECT_FALSE(encoder->LastError().isEmpty());
        EXPECT_FALSE(QFile::exists(encoder->FileName())) << encoder->FileName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Encoders, EncoderLifecycle, testing::ValuesIn(lifecycleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// An MP4 written by the H.264 encoder, with the times of its video packets in slots.
class EncoderTimeline : public testing::Test {
protected:
    void SetUp() override { encoder.SetParams(Side, Side, 30, 80, false, 44100, 16000, name()); }

    QString name() const { return dir.filePath("out"); }

    std::vector<int64_t> stop() {
        EXPECT_EQ(encoder.StopEncode(), MF_S_OK) << encoder.LastError().toStdString();
        const std::vector<StreamFacts> streams = inspectStreams(encoder.FileName().toStdString());
        std::vector<int64_t> slots;
        for (int64_t time : streams.at(0).times)
            slots.push_back((time * 30 + TicksPerSecond / 2) / TicksPerSecond);
        return slots;
    }

    QTemporaryDir dir;
    TMFEncoderH264Ex encoder;
};

TEST_F(EncoderTimeline, VariableRateWritesChangesOnlyAndTheLastPictureAgainAtTheEnd) {
    encoder.UseVFR = true;
    ASSERT_EQ(encoder.StartEncode(), MF_S_OK);
    for (int value : {0, 0, 0, 1, 1, 2})
        EXPECT_EQ(encoder.AddVideoFrame(flatFrame(value).data()), MF_S_OK);
    EXPECT_EQ(encoder.GetVideoStatistics().samplesReceived, 3);
    EXPECT_EQ(stop(), (std::vector<int64_t>{0, 3, 5, 6}));
}

TEST_F(EncoderTimeline, AMissingPictureLetsItsSlotPass) {
    ASSERT_EQ(encoder.StartEncode(), MF_S_OK);
    EXPECT_EQ(encoder.AddVideoFrame(flatFrame(0).data()), MF_S_OK);
    EXPECT_EQ(encoder.AddVideoFrame(nullptr), MF_S_OK);
    EXPECT_EQ(encoder.SampleVideoStart(), SlotTime(2, 30));
    EXPECT_EQ(encoder.AddVideoFrame(flatFrame(1).data()), MF_S_OK);
    EXPECT_EQ(stop(), (std::vector<int64_t>{0, 2}));
}

TEST_F(EncoderTimeline, StatisticsCountWhatWentThrough) {
    ASSERT_EQ(encoder.StartEncode(), MF_S_OK);
    for (int k = 0; k < 10; ++k)
        encoder.AddVideoFrame(flatFrame(k).data());
    const StreamStatistics stats = encoder.GetVideoStatistics();
    EXPECT_EQ(stats.samplesReceived, 10);
    EXPECT_EQ(encoder.GetNumVideoSamplesToEncode(), stats.samplesReceived - stats.samplesEncoded);
    EXPECT_EQ(encoder.GetAudioCompressedSize(), 0u);
    stop();
}

// Camera pictures go in their own layout, whole pictures without row gaps, tagged as the BT.601
// pictures cameras deliver.
TEST(EncoderCamera, FramesInTheCamerasLayout) {
    QTemporaryDir dir;
    const std::pair<PixelFormat, std::function<std::unique_ptr<TMFEncoder>()>> cameras[] = {
        {PixelFormat::Yuy2, maker<TMFEncoderH264_YUY2>()},
        {PixelFormat::Nv12, maker<TMFEncoderH264_NV12>()},
        {PixelFormat::I420, maker<TMFEncoderH264_I420>()}};
    for (const auto& [layout, make] : cameras) {
        auto encoder = make();
        encoder->SetParams(32, 16, 30, 80, false, 44100, 16000, dir.filePath("camera"));
        ASSERT_EQ(encoder->StartEncode(), MF_S_OK) << encoder->LastError().toStdString();
        const std::vector<uint8_t> picture(size_t(pictureBytes(layout, 32, 16)), 128);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(encoder->AddVideoFrame(picture.data()), MF_S_OK);
        ASSERT_EQ(encoder->StopEncode(), MF_S_OK);
        const std::vector<StreamFacts> streams = inspectStreams(encoder->FileName().toStdString());
        ASSERT_EQ(streams.size(), 1u);
        EXPECT_EQ(streams[0].times.size(), 3u);
        EXPECT_EQ(streams[0].colour, (ColourEncoding{ColourMatrix::Bt601, ColourRange::Limited}));
    }
}

TEST(EncoderHardware, AbsentHardwareIsReportedNotReplaced) {
    QTemporaryDir dir;
    for (bool hevc : {false, true}) {
        std::unique_ptr<TMFEncoder> encoder =
            hevc ? std::make_unique<TMFEncoderH265>() : std::make_unique<TMFEncoderH264Ex>();
        encoder->UseHardware = true;
        encoder->SetParams(640, 480, 30, 80, false, 44100, 96, dir.filePath("test"));
        const bool present = EncoderCatalog::instance()
                                 .find(hevc ? EncodedFormat::Hevc : EncodedFormat::H264, true)
                                 .has_value();
        EXPECT_EQ(encoder->TestEncode(), present ? MF_S_OK : E_MF_NO_ENCODER);
        EXPECT_FALSE(QFile::exists(encoder->FileName()));
        if (!present) {
            EXPECT_FALSE(encoder->LastError().isEmpty());
        }
    }
}

TEST(EncoderProbe, SoftwareFormatsAreAvailableAndLeaveNoFile) {
    QTemporaryDir dir;
    const std::function<std::unique_ptr<TMFEncoder>()> makers[] = {
        maker<TMFEncoderH264Ex>(), maker<TMFEncoderH265>(), maker<TMFEncoderWMV>(),
        maker<TMFEncoderGIF>(), maker<TMFEncoderWEBP>()};
    for (const auto& make : makers) {
        auto encoder = make();
        encoder->SetParams(640, 480, 30, 80, false, 44100, 96, dir.filePath("test"));
        EXPECT_EQ(encoder->TestEncode(), MF_S_OK) << encoder->LastError().toStdString();
        EXPECT_FALSE(QFile::exists(encoder->FileName()));
    }
}

TEST(EncoderWav, HeaderStatesTheSizesAndTheRealFormat) {
    QTemporaryDir dir;
    struct Case {
        int rate, fps, chunks;
        int64_t bytes;
    };
    for (const Case& c : {Case{44100, 30, 3, 46 + 3 * 5880}, Case{44100, 25, 2, 46 + 2 * 7056},
                          Case{48000, 24, 3, 46 + 3 * 8000}}) {
        TMFEncoderPCM wav;
        wav.SetParams(0, 0, c.fps, 80, true, c.rate, 0, dir.filePath("tone"));
        ASSERT_EQ(wav.StartEncode(), MF_S_OK);
        int64_t fed = 0;
        for (int k = 0; k < c.chunks; ++k) {
            const auto sound = encoderchecks::tone(fed, wav.AudioChunkFrames(), c.rate);
            fed += wav.AudioChunkFrames();
            EXPECT_EQ(wav.AddAudioFrame(reinterpret_cast<const uint8_t*>(sound.data())), MF_S_OK);
        }
        ASSERT_EQ(wav.StopEncode(), MF_S_OK);
        QFile file(wav.FileName());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        ASSERT_EQ(data.size(), c.bytes);
        const auto u32 = [&](int at) { return qFromLittleEndian<uint32_t>(data.constData() + at); };
        EXPECT_EQ(data.left(4), "RIFF");
        EXPECT_EQ(u32(4), c.bytes - 8);
        EXPECT_EQ(data.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(u32(16), 18u);
        EXPECT_EQ(u32(24), uint32_t(c.rate));
        EXPECT_EQ(u32(28), uint32_t(c.rate) * 4);
        EXPECT_EQ(data.mid(38, 4), "data");
        EXPECT_EQ(u32(42), c.bytes - 46);
    }
}

// Five minutes at 24 fps: chunks cut without their remainder (1837 frames) would have left the
// sound 3600 frames, almost two video frames, short of the picture by the end, so this length
// shows the absence of drift while writing only seconds of work. EncoderArithmetic covers the
// whole hour.
TEST(EncoderLongRun, SoundAndPictureEndTogether) {
    QTemporaryDir dir;
    constexpr int Fps = 24;
    constexpr int Frames = Fps * 300;
    TMFEncoderH264Ex encoder;
    encoder.SetParams(Side, Side, Fps, 80, true, 44100, 16000, dir.filePath("long"));
    ASSERT_EQ(encoder.StartEncode(), MF_S_OK);
    const std::vector<uint8_t> frames[2] = {flatFrame(0), flatFrame(1)};
    const std::vector<int16_t> silence(1838 * 2, 0);
    for (int k = 0; k < Frames; ++k) {
        ASSERT_EQ(encoder.AddVideoFrame(frames[k % 2].data()), MF_S_OK);
        ASSERT_EQ(encoder.AddAudioFrame(reinterpret_cast<const uint8_t*>(silence.data())), MF_S_OK);
    }
    EXPECT_EQ(encoder.SampleVideoStartMS(), 300'000);
    EXPECT_EQ(encoder.SampleaudioStartMS(), 300'000);
    ASSERT_EQ(encoder.StopEncode(), MF_S_OK);
    const std::vector<StreamFacts> streams = inspectStreams(encoder.FileName().toStdString());
    ASSERT_EQ(streams.size(), 2u);
    const int64_t videoEnd = streams[0].endTime;
    const int64_t audioEnd = streams[1].endTime;
    EXPECT_EQ(streams[0].times.size(), size_t(Frames));
    EXPECT_NEAR(double(videoEnd), 300.0 * TicksPerSecond, double(TicksPerSecond) / Fps);
    EXPECT_NEAR(double(audioEnd), double(videoEnd), double(TicksPerSecond) / Fps);
}

} // namespace
