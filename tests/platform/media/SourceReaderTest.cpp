// The source reader against files the test encodes itself.
#include "platform/media/SourceReader.h"

#include "platform/media/VideoConverter.h"
#include "tests/support/media/MediaFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform::media;

namespace {

class SourceReaderTest : public testing::Test {
protected:
    QString make(const QString& name, const fixtures::VideoSpec& spec) {
        const QString path = dir.filePath(name);
        fixtures::writeVideo(path, spec);
        return path;
    }

    // The stamp of the next sample, with its time.
    std::pair<int, int64_t> next(SourceReader& reader) {
        SourceReader::ReadResult result = reader.readSample(SourceReader::FirstVideoStream);
        if (result.status != SourceReader::ReadStatus::Sample)
            return {-2, -1};
        std::vector<uint8_t> bgra(size_t(result.sample.width()) * result.sample.height() * 4);
        converter.convert(result.sample, bgra.data(), result.sample.width() * 4);
        return {fixtures::readStamp(bgra.data(), result.sample.width(), result.sample.height()),
                result.sample.time()};
    }

    QTemporaryDir dir;
    VideoConverter converter;
};

TEST_F(SourceReaderTest, DescribesTheVideoStreamAndKeepsARationalFrameRate) {
    fixtures::VideoSpec spec;
    spec.rateNum = 30000;
    spec.rateDen = 1001;
    SourceReader reader(make("clip.mp4", spec).toStdString());
    const MediaType type = reader.mediaType(SourceReader::FirstVideoStream);
    EXPECT_EQ(type.kind, MediaKind::Video);
    EXPECT_EQ(type.videoCodec, VideoCodec::H264);
    EXPECT_EQ(type.width, fixtures::StampWidth);
    EXPECT_EQ(type.height, fixtures::StampHeight);
    EXPECT_EQ(type.frameRate, (Rational{30000, 1001}));
    EXPECT_EQ(type.frameRate.rounded(), 30);
    EXPECT_NEAR(double(reader.duration(SourceReader::MediaSource)) / TicksPerMs, 1001.0, 1.0);
    EXPECT_EQ(reader.streamIndex(SourceReader::FirstAudioStream), -1);
    EXPECT_THROW(reader.mediaType(SourceReader::FirstAudioStream), MediaError);
}

TEST_F(SourceReaderTest, ReadsEveryFrameInOrderAndSeeksBack) {
    fixtures::VideoSpec spec;
    spec.bFrames = 2;
    SourceReader reader(make("clip.mp4", spec).toStdString());
    reader.setStreamSelection(SourceReader::FirstVideoStream, true);
    int64_t previous = -1;
    for (int i = 0; i < spec.frames; ++i) {
        const auto [stamp, time] = next(reader);
        EXPECT_EQ(stamp, i);
        EXPECT_GT(time, previous);
        previous = time;
    }
    EXPECT_EQ(reader.readSample(SourceReader::FirstVideoStream).status,
              SourceReader::ReadStatus::EndOfStream);
    // Back to a key frame at or before frame 12, within one group of pictures; reading on
    // delivers the frames from there in order.
    ASSERT_TRUE(reader.seek(12 * TicksPerSecond / 30 + 1));
    const int landed = next(reader).first;
    EXPECT_LE(landed, 12);
    EXPECT_GE(landed, 12 - spec.gop);
    for (int expected = landed + 1; expected <= 12; ++expected)
        EXPECT_EQ(next(reader).first, expected);
}

TEST_F(SourceReaderTest, FindsTheVideoBehindASoundTrack) {
    fixtures::VideoSpec spec;
    spec.muxer = "mov";
    spec.soundFirst = true;
    SourceReader reader(make("clip.mov", spec).toStdString());
    EXPECT_EQ(reader.streamIndex(SourceReader::FirstAudioStream), 0);
    EXPECT_EQ(reader.streamIndex(SourceReader::FirstVideoStream), 1);
    const MediaType sound = reader.mediaType(SourceReader::FirstAudioStream);
    EXPECT_EQ(sound.kind, MediaKind::Audio);
    EXPECT_EQ(sound.sampleRate, 8000);
    EXPECT_EQ(sound.channels, 1);
    // Only the selected stream delivers samples; the sound packets are passed over.
    reader.setStreamSelection(SourceReader::FirstVideoStream, true);
    for (int i = 0; i < spec.frames; ++i)
        EXPECT_EQ(next(reader).first, i);
    EXPECT_EQ(reader.readSample(SourceReader::FirstAudioStream).status,
              SourceReader::ReadStatus::Error);
}

TEST_F(SourceReaderTest, RefusesFilesItCannotRead) {
    EXPECT_THROW(SourceReader(dir.filePath("missing.mp4").toStdString()), MediaError);
    QFile junk(dir.filePath("junk.mp4"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, '\x5a'));
    junk.close();
    EXPECT_THROW(SourceReader(junk.fileName().toStdString()), MediaError);
}

TEST_F(SourceReaderTest, ATruncatedFileEndsWhereItStopsBeingReadable) {
    fixtures::VideoSpec spec;
    spec.muxer = "matroska";
    const QString path = make("clip.mkv", spec);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(file.size() / 2);
    file.close();
    SourceReader reader(path.toStdString());
    reader.setStreamSelection(SourceReader::FirstVideoStream, true);
    int frames = 0;
    while (next(reader).first >= 0)
        ++frames;
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, spec.frames);
}

} // namespace
