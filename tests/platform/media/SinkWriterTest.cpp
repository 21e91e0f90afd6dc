// The sink writer, the one-by-one video encoder, the encoder catalogue and the GIF writer of
// the media layer against the real FFmpeg and giflib: streams, exact times at rational rates,
// colour encodings that round-trip, sound in any amounts, and the errors of each.
#include "platform/media/SinkWriter.h"

#include "platform/media/EncoderCatalog.h"
#include "platform/media/GifAnimation.h"
#include "platform/media/GifWriter.h"
#include "platform/media/SourceReader.h"
#include "platform/media/StreamFacts.h"
#include "platform/media/VideoConverter.h"
#include "platform/media/VideoEncoder.h"
#include "tests/support/media/EncoderChecks.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace platform::media;

namespace {

constexpr int W = 64;
constexpr int H = 48;

VideoEncoderSettings h264(int width = W, int height = H) {
    VideoEncoderSettings s;
    s.encoder = "libx264";
    s.width = width;
    s.height = height;
    s.bitRate = 2'000'000;
    s.options = {{"preset", "veryfast"}};
    return s;
}

std::vector<uint8_t> solid(uint8_t b, uint8_t g, uint8_t r, int width = W, int height = H) {
    std::vector<uint8_t> frame(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < frame.size(); i += 4) {
        frame[i] = b;
        frame[i + 1] = g;
        frame[i + 2] = r;
        frame[i + 3] = 0xFF;
    }
    return frame;
}

PictureView view(const std::vector<uint8_t>& frame, int width = W, int height = H) {
    return PictureView::contiguous(PixelFormat::Bgra, width, height, frame.data());
}

class SinkWriterTest : public testing::Test {
protected:
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(SinkWriterTest, PictureTimesAreExactAtARationalRate) {
    const std::string file = path("ntsc.mp4");
    {
        SinkWriter writer(file);
        VideoEncoderSettings s = h264();
        s.frameRate = Rational{30000, 1001};
        const int stream = writer.addVideoStream(s);
        writer.beginWriting();
        const auto frame = solid(10, 20, 30);
        // Slots 0, 1, 2 and then 10: a variable-rate stream.
        for (int slot : {0, 1, 2, 10})
            writer.writeVideo(stream, view(frame), slot * 1001 * TicksPerSecond / 30000);
        writer.finalize();
        const StreamStatistics stats = writer.statistics(stream);
        EXPECT_EQ(stats.samplesReceived, 4);
        EXPECT_EQ(stats.samplesEncoded, 4);
        EXPECT_GT(stats.bytesWritten, 0);
    }
    const std::vector<StreamFacts> facts = inspectStreams(file);
    ASSERT_EQ(facts.size(), 1u);
    std::vector<int64_t> expected;
    for (int slot : {0, 1, 2, 10})
        expected.push_back(slot * 1001 * TicksPerSecond / 30000);
    ASSERT_EQ(facts[0].times.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(double(facts[0].times[i]), double(expected[i]), 1.0) << i;
}

// Each encoding is written into the stream's tags, and decoding by the tags gives the colour
// back.
TEST_F(SinkWriterTest, ColourEncodingIsTaggedAndRoundTrips) {
    const ColourEncoding encodings[] = {{ColourMatrix::Bt709, ColourRange::Limited},
                                        {ColourMatrix::Bt601, ColourRange::Limited},
                                        {ColourMatrix::Bt709, ColourRange::Full}};
    const auto frame = solid(50, 100, 200);
    for (const ColourEncoding& colour : encodings) {
        const std::string file = path("colour.mp4");
        {
            SinkWriter writer(file);
            VideoEncoderSettings s = h264();
            s.colour = colour;
            const int stream = writer.addVideoStream(s);
            EXPECT_EQ(writer.colourEncoding(stream), colour);
            writer.beginWriting();
            writer.writeVideo(stream, view(frame), 0);
            writer.finalize();
        }
        const std::vector<StreamFacts> facts = inspectStreams(file);
        ASSERT_TRUE(facts.at(0).colour.has_value());
        EXPECT_EQ(*facts[0].colour, colour);

        SourceReader reader(file);
        reader.setStreamSelection(SourceReader::FirstVideoStream, true);
        SourceReader::ReadResult result = reader.readSample(SourceReader::FirstVideoStream);
        ASSERT_EQ(result.status, SourceReader::ReadStatus::Sample) << result.error;
        std::vector<uint8_t> back(frame.size());
        VideoConverter converter;
        converter.convert(result.sample, back.data(), W * 4);
        const uint8_t* p = &back[(size_t(H / 2) * W + W / 2) * 4];
        EXPECT_NEAR(p[0], 50, 4);
        EXPECT_NEAR(p[1], 100, 4);
        EXPECT_NEAR(p[2], 200, 4);
    }
}

// H.264 and HEVC code only whole chroma samples: an odd picture is coded one column and row
// larger, the last ones repeating the picture's edge (here blue on the right, red at the
// bottom, green elsewhere).
TEST_F(SinkWriterTest, OddSizesAreCodedWithTheirEdgesRepeated) {
    constexpr int OddW = 641;
    constexpr int OddH = 361;
    std::vector<uint8_t> frame = solid(0, 200, 0, OddW, OddH);
    for (int y = 0; y < OddH; ++y)
        for (int x = 0; x < OddW; ++x) {
            uint8_t* p = &frame[(size_t(y) * OddW + size_t(x)) * 4];
            if (x >= OddW - 8)
                p[0] = 200, p[1] = 0;
            else if (y >= OddH - 8)
                p[2] = 200, p[1] = 0;
        }
    for (const char* encoder : {"libx264", "libx265"}) {
        SCOPED_TRACE(encoder);
        const std::string file = path("odd.mp4");
        {
            SinkWriter writer(file);
            VideoEncoderSettings s = h264(OddW, OddH);
            s.encoder = encoder;
            if (std::string(encoder) == "libx265")
                s.options = {{"preset", "ultrafast"}, {"x265-params", "log-level=error"}};
            const int stream = writer.addVideoStream(s);
            writer.beginWriting();
            writer.writeVideo(stream, view(frame, OddW, OddH), 0);
            writer.finalize();
        }
        SourceReader reader(file);
        const MediaType type = reader.mediaType(SourceReader::FirstVideoStream);
        EXPECT_EQ(type.width, OddW + 1);
        EXPECT_EQ(type.height, OddH + 1);
        reader.setStreamSelection(SourceReader::FirstVideoStream, true);
        SourceReader::ReadResult result = reader.readSample(SourceReader::FirstVideoStream);
        ASSERT_EQ(result.status, SourceReader::ReadStatus::Sample) << result.error;
        const int pitch = (OddW + 1) * 4;
        std::vector<uint8_t> back(size_t(pitch) * (OddH + 1));
        VideoConverter converter;
        converter.convert(result.sample, back.data(), pitch);
        const auto at = [&](int x, int y) { return &back[size_t(y) * pitch + size_t(x) * 4]; };
        for (int y : {0, OddH / 2, OddH - 12}) {
            EXPECT_GT(at(OddW, y)[0], 160) << "added column, row " << y;
            EXPECT_LT(at(OddW, y)[1], 60) << "added column, row " << y;
        }
        for (int x : {0, OddW / 2, OddW - 12}) {
            EXPECT_GT(at(x, OddH)[2], 160) << "added row, column " << x;
            EXPECT_LT(at(x, OddH)[1], 60) << "added row, column " << x;
        }
    }
}

struct AudioCase {
    const char* name;
    const char* file;
    const char* encoder;
    const char* codec;
    int slack; // sound frames the stream may run longer: one codec frame (and LAME's delay)
};

std::ostream& operator<<(std::ostream& out, const AudioCase& c) {
    return out << c.name;
}

class SinkWriterAudio : public SinkWriterTest, public testing::WithParamInterface<AudioCase> {};

TEST_P(SinkWriterAudio, SoundInAnyAmountsKeepsItsLength) {
    const AudioCase& c = GetParam();
    const std::string file = path(c.file);
    constexpr int Rate = 48000;
    int64_t fed = 0;
    {
        SinkWriter writer(file);
        const int stream = writer.addAudioStream(AudioEncoderSettings{c.encoder, Rate, 2, 128000});
        writer.beginWriting();
        for (int chunk : {1, 999, 1000, 4096, 17, 30000, 11111}) {
            writer.writeAudio(stream, encoderchecks::tone(fed, chunk, Rate).data(), chunk);
            fed += chunk;
        }
        EXPECT_EQ(writer.statistics(stream).samplesReceived, fed);
        writer.finalize();
    }
    const std::vector<StreamFacts> facts = inspectStreams(file);
    ASSERT_EQ(facts.size(), 1u);
    EXPECT_EQ(facts[0].codec, c.codec);
    EXPECT_EQ(facts[0].sampleRate, Rate);
    EXPECT_EQ(facts[0].channels, 2);
    const double length = double(facts[0].endTime - std::max<int64_t>(0, facts[0].times.at(0)));
    EXPECT_GE(length, double(fed) * TicksPerSecond / Rate - 1);
    EXPECT_LE(length, double(fed + c.slack) * TicksPerSecond / Rate);
}

INSTANTIATE_TEST_SUITE_P(Codecs, SinkWriterAudio,
                         testing::Values(AudioCase{"Aac", "a.m4a", "aac", "aac", 1024},
                                         AudioCase{"Mp3", "a.mp3", "libmp3lame", "mp3",
                                                   1152 + 1105},
                                         AudioCase{"Wma", "a.wma", "wmav2", "wmav2", 2048 + 2048},
                                         AudioCase{"Pcm", "a.wav", "pcm_s16le", "pcm_s16le", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SinkWriterTest, RefusesWhatItCannotWrite) {
    const auto frame = solid(1, 2, 3);
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"unknown container", [&] { SinkWriter writer(path("x.unknownext")); }},
        {"file in a missing folder", [&] { SinkWriter writer(path("none/x.mp4")); }},
        {"absent encoder",
         [&] {
             SinkWriter writer(path("x.mp4"));
             VideoEncoderSettings s = h264();
             s.encoder = "no-such-encoder";
             writer.addVideoStream(s);
         }},
        {"empty picture size",
         [&] {
             SinkWriter writer(path("x.mp4"));
             writer.addVideoStream(h264(0, 0));
         }},
        {"picture size beyond the largest",
         [&] {
             SinkWriter writer(path("x.mp4"));
             writer.addVideoStream(h264(20000, 16));
         }},
        {"writing before the header",
         [&] {
             SinkWriter writer(path("x.mp4"));
             const int stream = writer.addVideoStream(h264());
             writer.writeVideo(stream, view(frame), 0);
         }},
        {"stream added after the header",
         [&] {
             SinkWriter writer(path("x.mp4"));
             writer.addVideoStream(h264());
             writer.beginWriting();
             writer.addVideoStream(h264());
         }},
        {"picture of another size",
         [&] {
             SinkWriter writer(path("x.mp4"));
             const int stream = writer.addVideoStream(h264());
             writer.beginWriting();
             const auto small = solid(1, 2, 3, 16, 16);
             writer.writeVideo(stream, view(small, 16, 16), 0);
         }},
        {"times that do not rise",
         [&] {
             SinkWriter writer(path("x.mp4"));
             const int stream = writer.addVideoStream(h264());
             writer.beginWriting();
             writer.writeVideo(stream, view(frame), TicksPerSecond);
             writer.writeVideo(stream, view(frame), TicksPerSecond);
         }},
        {"sound into a video stream",
         [&] {
             SinkWriter writer(path("x.mp4"));
             const int stream = writer.addVideoStream(h264());
             writer.beginWriting();
             const int16_t sound[4] = {};
             writer.writeAudio(stream, sound, 2);
         }},
        {"no stream at all",
         [&] {
             SinkWriter writer(path("x.mp4"));
             writer.beginWriting();
         }},
    };
    for (const auto& [name, run] : cases)
        EXPECT_THROW(run(), MediaError) << name;
}

TEST(VideoEncoderTest, Vp8GivesOneKeyFramePerPicture) {
    VideoEncoderSettings s;
    s.encoder = "libvpx";
    s.width = W;
    s.height = H;
    s.bitRate = 1'000'000;
    s.gopSize = 1;
    s.colour = ColourEncoding{ColourMatrix::Bt601, ColourRange::Limited};
    s.options = {{"lag-in-frames", "0"}, {"auto-alt-ref", "0"}};
    VideoEncoder encoder(s);
    for (int slot = 0; slot < 5; ++slot) {
        const auto frame = solid(uint8_t(slot * 40), 20, 30);
        const auto frames = encoder.encode(view(frame), slot);
        ASSERT_EQ(frames.size(), 1u) << slot;
        EXPECT_EQ(frames[0].at(0) & 1, 0) << "slot " << slot << " is not a key frame";
    }
    EXPECT_TRUE(encoder.drain().empty());
    EXPECT_THROW(encoder.encode(view(solid(0, 0, 0)), 6), MediaError);
}

TEST(EncoderCatalogTest, SoftwareEncodersAndHardwareAbsence) {
    const EncoderCatalog& catalog = EncoderCatalog::instance();
    for (EncodedFormat format :
         {EncodedFormat::H264, EncodedFormat::Aac, EncodedFormat::Mp3, EncodedFormat::Pcm}) {
        const auto entry = catalog.find(format, false);
        ASSERT_TRUE(entry.has_value()) << int(format);
        EXPECT_FALSE(entry->hardware);
        EXPECT_TRUE(entry->absence.empty());
    }
    if (!catalog.hasHardwareDevice()) {
        EXPECT_FALSE(catalog.hardwareAbsence().empty());
        EXPECT_FALSE(catalog.find(EncodedFormat::H264, true).has_value());
        EXPECT_FALSE(catalog.find(EncodedFormat::Hevc, true).has_value());
    }
    const EncoderCatalog withoutHardware(false);
    for (const EncoderEntry& entry : withoutHardware.entries())
        EXPECT_FALSE(entry.hardware);
}

class GifWriterTest : public SinkWriterTest {
protected:
    GifFramePicture frameOf(const std::vector<uint8_t>& pixels) const {
        GifFramePicture p;
        p.width = W;
        p.height = H;
        p.bgra = pixels.data();
        p.pitch = W * 4;
        p.delayCs = 10;
        return p;
    }
};

TEST_F(GifWriterTest, WritesFramesAndRefusesBadOnes) {
    const std::string file = path("w.gif");
    const auto pixels = solid(10, 200, 30);
    std::vector<uint8_t> mask(size_t(W) * H, 0);
    mask[0] = 1;
    {
        GifWriter writer(file, W, H, "Created with Tavrin");
        GifFramePicture p = frameOf(pixels);
        writer.writeFrame(p);
        p.transparent = mask.data();
        p.transparentPitch = W;
        p.colours = 2;
        writer.writeFrame(p);
        const std::pair<const char*, std::function<void(GifFramePicture&)>> bad[] = {
            {"outside the screen", [](GifFramePicture& f) { f.left = 1; }},
            {"one colour", [](GifFramePicture& f) { f.colours = 1; }},
            {"257 colours", [](GifFramePicture& f) { f.colours = 257; }},
            {"too long a delay", [](GifFramePicture& f) { f.delayCs = GifMaxDelayCs + 1; }},
            {"no pixels", [](GifFramePicture& f) { f.bgra = nullptr; }},
        };
        for (const auto& [name, spoil] : bad) {
            GifFramePicture f = frameOf(pixels);
            spoil(f);
            EXPECT_THROW(writer.writeFrame(f), MediaError) << name;
        }
        EXPECT_EQ(writer.framesWritten(), 2);
        writer.close();
        EXPECT_THROW(writer.writeFrame(frameOf(pixels)), MediaError);
    }
    GifAnimation gif(file);
    ASSERT_EQ(gif.frames().size(), 2u);
    std::vector<uint8_t> canvas(size_t(W) * H * 4, 0);
    gif.drawFrame(1, canvas.data(), W * 4);
    EXPECT_EQ(canvas[3], 0) << "the masked pixel is transparent";
    EXPECT_EQ(std::vector<uint8_t>(canvas.begin() + 4, canvas.begin() + 8),
              (std::vector<uint8_t>{10, 200, 30, 0xFF}));
    EXPECT_THROW(GifWriter(path("none/w.gif"), W, H, ""), MediaError);
    EXPECT_THROW(GifWriter(path("big.gif"), 70000, 10, ""), MediaError);
}

} // namespace
