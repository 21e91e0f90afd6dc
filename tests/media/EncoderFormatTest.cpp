// Every sink-writer format written from stamped frames and a tone, then read back: the layer's
// view of the container, the program's video reader for the pictures, and ffprobe when it is
// installed.
#include "media/UMFEncoderH264.h"
#include "media/UMFencoderAAC.h"
#include "media/UMFencoderWMV.h"
#include "media/UVideoReader.h"
#include "platform/media/StreamFacts.h"
#include "tests/support/media/EncoderChecks.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace platform::media;

namespace {

constexpr int Fps = 30;
constexpr int Rate = 44100;
constexpr int Frames = 45;
constexpr int64_t SlotTicks = TicksPerSecond / Fps;

struct FormatCase {
    const char* name;
    std::function<std::unique_ptr<TMFEncoder>()> make;
    const char* extension;
    const char* videoCodec; // nullptr for audio-only formats
    const char* audioCodec;
    // How much longer than the sound fed in the stream may be, in sound frames: one frame of
    // the audio codec, and for MP3 also the encoder delay and padding LAME adds (1105 frames),
    // which only its own header states.
    int audioSlack;
    bool colourTags; // the container carries the stream's colour tags
    // The video starts at 0. ASF cannot start the sound before the pictures, so its timeline is
    // shifted by the WMA encoder delay and the first picture shows at 46 ms.
    bool videoStartsAtZero;
};

std::ostream& operator<<(std::ostream& out, const FormatCase& c) {
    return out << c.name;
}

template <typename T> std::function<std::unique_ptr<TMFEncoder>()> maker() {
    return [] { return std::make_unique<T>(); };
}

const FormatCase formatCases[] = {
    {"H264", maker<TMFEncoderH264Ex>(), ".mp4", "h264", "aac", 1024, true, true},
    {"HEVC", maker<TMFEncoderH265>(), ".mp4", "hevc", "aac", 1024, true, true},
    {"WMV", maker<TMFEncoderWMV>(), ".wmv", "wmv2", "wmav2", 2048, false, false},
    {"M4A", maker<TMFEncoderAAC>(), ".m4a", nullptr, "aac", 1024, false, true},
    {"MP3", maker<TMFEncoderMP3>(), ".mp3", nullptr, "mp3", 1152 + 1105, false, true},
    {"WAV", maker<TMFEncoderPCM>(), ".wav", nullptr, "pcm_s16le", 1, false, true},
};

class EncoderFormats : public testing::TestWithParam<FormatCase> {
protected:
    // Writes Frames frame intervals of stamped pictures and tone; returns the file name.
    QString encode() {
        const FormatCase& c = GetParam();
        encoder = c.make();
        const bool video = c.videoCodec != nullptr;
        encoder->SetParams(video ? fixtures::StampWidth : 0, video ? fixtures::StampHeight : 0, Fps,
                           80, true, Rate, 16000, dir.filePath("out"));
        EXPECT_EQ(encoder->StartEncode(), MF_S_OK) << encoder->LastError().toStdString();
        std::vector<uint8_t> picture(size_t(fixtures::StampWidth) * fixtures::StampHeight * 4);
        int64_t audioFrames = 0;
        for (int k = 0; k < Frames; ++k) {
            fixtures::drawStamp(k, picture.data(), fixtures::StampWidth, fixtures::StampHeight);
            EXPECT_EQ(encoder->AddVideoFrame(picture.data()), MF_S_OK);
            const int chunk = encoder->AudioChunkFrames();
            const std::vector<int16_t> sound = encoderchecks::tone(audioFrames, chunk);
            EXPECT_EQ(encoder->AddAudioFrame(reinterpret_cast<const uint8_t*>(sound.data())),
                      MF_S_OK);
            audioFrames += chunk;
        }
        EXPECT_EQ(audioFrames, int64_t(Frames) * Rate / Fps);
        EXPECT_EQ(encoder->StopEncode(), MF_S_OK) << encoder->LastError().toStdString();
        return dir.filePath(QStringLiteral("out") + c.extension);
    }

    QTemporaryDir dir;
    std::unique_ptr<TMFEncoder> encoder;
};

TEST_P(EncoderFormats, StreamsTimesAndColourReadBack) {
    const FormatCase& c = GetParam();
    const QString path = encode();
    const std::vector<StreamFacts> streams = inspectStreams(path.toStdString());
    ASSERT_EQ(streams.size(), c.videoCodec ? 2u : 1u);
    const StreamFacts& audio = streams.back();
    EXPECT_EQ(audio.kind, MediaKind::Audio);
    EXPECT_EQ(audio.codec, c.audioCodec);
    EXPECT_EQ(audio.sampleRate, Rate);
    EXPECT_EQ(audio.channels, 2);
    // The sound lasts as long as the pictures, within one frame of the audio codec.
    const int64_t expectedEnd = int64_t(Frames) * TicksPerSecond / Fps;
    const int64_t audioFrameTicks = int64_t(c.audioSlack) * TicksPerSecond / Rate;
    ASSERT_FALSE(audio.times.empty());
    EXPECT_NEAR(double(audio.endTime - std::max<int64_t>(audio.times.front(), 0)),
                double(expectedEnd), double(audioFrameTicks));
    if (!c.videoCodec)
        return;

    const StreamFacts& video = streams.front();
    EXPECT_EQ(video.kind, MediaKind::Video);
    EXPECT_EQ(video.codec, c.videoCodec);
    EXPECT_EQ(video.width, fixtures::StampWidth);
    EXPECT_EQ(video.height, fixtures::StampHeight);
    ASSERT_EQ(video.times.size(), size_t(Frames));
    for (int k = 0; k < Frames; ++k)
        EXPECT_NEAR(double(video.times[size_t(k)] - video.times[0]), double(k * SlotTicks),
                    double(SlotTicks) / 2)
            << "frame " << k;
    EXPECT_NEAR(double(video.endTime - video.times[0]), double(expectedEnd), double(SlotTicks));
    if (c.colourTags) {
        ASSERT_TRUE(video.colour.has_value());
        EXPECT_EQ(*video.colour, (ColourEncoding{ColourMatrix::Bt709, ColourRange::Limited}));
    }

    // The program's reader gives each stamped picture back upright, at its own time.
    if (!c.videoStartsAtZero)
        return;
    EXPECT_EQ(video.times[0], 0);
    TVideoReaderEx reader(path);
    ASSERT_TRUE(reader.IsValid()) << reader.ErrorText().toStdString();
    EXPECT_EQ(reader.GetWidth(), fixtures::StampWidth);
    EXPECT_EQ(reader.GetHeight(), fixtures::StampHeight);
    EXPECT_EQ(reader.Reader()->FNrFrames, Frames);
    std::vector<uint8_t> picture(size_t(fixtures::StampWidth) * fixtures::StampHeight * 4);
    for (int k : {0, 1, Frames / 2, Frames - 1}) {
        reader.GetFrame(reader.Reader()->GetBeginTime(k + 1), picture.data());
        EXPECT_EQ(fixtures::readStamp(picture.data(), fixtures::StampWidth, fixtures::StampHeight),
                  k);
    }
}

TEST_P(EncoderFormats, FfprobeAgrees) {
    if (!encoderchecks::hasFfprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    const FormatCase& c = GetParam();
    const auto probed = encoderchecks::ffprobe(encode());
    ASSERT_TRUE(probed.has_value());
    ASSERT_EQ(probed->size(), c.videoCodec ? 2u : 1u);
    const encoderchecks::ProbedStream& audio = probed->back();
    EXPECT_EQ(audio.type, "audio");
    EXPECT_EQ(audio.codec, c.audioCodec);
    EXPECT_EQ(audio.sampleRate, Rate);
    EXPECT_EQ(audio.channels, 2);
    const double seconds = double(Frames) / Fps;
    EXPECT_NEAR(audio.duration, seconds, double(c.audioSlack) / Rate + 1e-3);
    if (!c.videoCodec)
        return;
    const encoderchecks::ProbedStream& video = probed->front();
    EXPECT_EQ(video.type, "video");
    EXPECT_EQ(video.codec, c.videoCodec);
    EXPECT_EQ(video.width, fixtures::StampWidth);
    EXPECT_EQ(video.height, fixtures::StampHeight);
    EXPECT_EQ(video.frames, Frames);
    if (c.colourTags) {
        EXPECT_EQ(video.colourSpace, "bt709");
        EXPECT_EQ(video.colourRange, "tv");
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, EncoderFormats, testing::ValuesIn(formatCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
