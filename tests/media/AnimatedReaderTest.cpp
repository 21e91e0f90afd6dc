// Animated GIF and WebP pictures by time, composed into a premultiplied target.
#include "media/UVideoReader.h"
#include "media/UVideoReaderAnimated.h"
#include "tests/support/media/MediaFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Picture {
    std::vector<uint8_t> pixels =
        std::vector<uint8_t>(size_t(fixtures::StampWidth) * fixtures::StampHeight * 4, 0);
    TFrameTarget target() {
        return {pixels.data(), fixtures::StampWidth * 4, fixtures::StampWidth,
                fixtures::StampHeight};
    }
    int stamp() const {
        return fixtures::readStamp(pixels.data(), fixtures::StampWidth, fixtures::StampHeight);
    }
    bool greenBand() const {
        const uint8_t* pixel =
            &pixels[(size_t(fixtures::StampHeight) * 7 / 8 * fixtures::StampWidth + 4) * 4];
        return pixel[1] == 255 && pixel[2] == 0 && pixel[3] == 255;
    }
};

int stampAt(TVideoReaderEx& reader, int timeMs, bool* green = nullptr) {
    Picture picture;
    reader.GetFrame(timeMs, picture.target());
    if (green)
        *green = picture.greenBand();
    return picture.stamp();
}

TEST(GifReader, FramesWithoutDelayHaveNoTimeOfTheirOwn) {
    QTemporaryDir dir;
    const QString path = dir.filePath("clip.gif");
    fixtures::writeGif(path, {{10, 0, 10}, {}, {}});
    TVideoReaderEx reader(path);
    ASSERT_TRUE(reader.IsValid()) << reader.ErrorText().toStdString();
    EXPECT_EQ(reader.GetDurationMs(), 200);
    auto* gif = dynamic_cast<TVideoReaderAnimated*>(reader.Reader());
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->FFrames[1].BeginTimeMs, 0);
    EXPECT_EQ(gif->FFrames[1].EndTimeMs, 99);
    EXPECT_EQ(gif->FFrames[2].BeginTimeMs, 100);
    EXPECT_EQ(gif->FFrames[2].EndTimeMs, 99);
    EXPECT_EQ(gif->FFrames[3].EndTimeMs, 200);
    EXPECT_EQ(stampAt(reader, 50), 1);
    EXPECT_EQ(stampAt(reader, 150), 3);
    EXPECT_EQ(stampAt(reader, 5000), 3);
}

TEST(GifReader, ComposesPartialFramesOverTheirKeyFrame) {
    QTemporaryDir dir;
    const QString path = dir.filePath("clip.gif");
    // Frame 2 paints only the bottom band green; frame 3 is whole; frame 4 is partial again
    // but follows a frame disposed to the background, so it starts a new group.
    fixtures::writeGif(path, {{10, 10, 10, 10, 10}, {2, 4}, {3}});
    TVideoReaderEx reader(path);
    ASSERT_TRUE(reader.IsValid()) << reader.ErrorText().toStdString();
    bool green = false;
    EXPECT_EQ(stampAt(reader, 150, &green), -1); // frame 1's stripes, frame 2's band
    EXPECT_TRUE(green);
    EXPECT_EQ(stampAt(reader, 250, &green), 3);
    EXPECT_FALSE(green);
    EXPECT_EQ(stampAt(reader, 50, &green), 1); // backwards: rebuilt from the key frame
    EXPECT_FALSE(green);
    EXPECT_EQ(stampAt(reader, 150, &green), -1);
    EXPECT_TRUE(green);
    // Frame 4 alone on a cleared picture: its band, nothing above it.
    Picture picture;
    reader.GetFrame(350, picture.target());
    EXPECT_TRUE(picture.greenBand());
    EXPECT_EQ(picture.pixels[3], 0);
    EXPECT_EQ(stampAt(reader, 450), 5);
}

TEST(GifReader, BufferOverloadLeavesTheBufferAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath("clip.gif");
    fixtures::writeGif(path, {{10, 10}, {}, {}});
    TVideoReaderEx reader(path);
    ASSERT_TRUE(reader.IsValid());
    std::vector<uint8_t> buffer(size_t(reader.GetWidth()) * reader.GetHeight() * 4, 0x33);
    reader.GetFrame(50, buffer.data());
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0x33), qsizetype(buffer.size()));
}

TEST(WebPReader, FramesFollowTheirDurations) {
    QTemporaryDir dir;
    const QString path = dir.filePath("clip.webp");
    fixtures::writeWebP(path, {100, 100, 100});
    TVideoReaderEx reader(path);
    ASSERT_TRUE(reader.IsValid()) << reader.ErrorText().toStdString();
    EXPECT_EQ(reader.GetWidth(), fixtures::StampWidth);
    EXPECT_EQ(reader.GetDurationMs(), 300);
    auto* webp = dynamic_cast<TVideoReaderAnimated*>(reader.Reader());
    ASSERT_NE(webp, nullptr);
    EXPECT_EQ(webp->FFrames[2].BeginTimeMs, 100);
    EXPECT_EQ(webp->FFrames[2].EndTimeMs, 199);
    EXPECT_EQ(webp->FFrames[3].EndTimeMs, 300);
    for (const auto& [time, stamp] :
         {std::pair{50, 1}, {250, 3}, {120, 2}, {0, 1}, {300, 3}, {199, 2}})
        EXPECT_EQ(stampAt(reader, time), stamp) << time << " ms";
}

TEST(WebPReader, StillPicturesAndDamagedFilesAreRefused) {
    QTemporaryDir dir;
    const QString still = dir.filePath("still.webp");
    fixtures::writeWebP(still, {}, false);
    EXPECT_FALSE(TVideoReaderEx(still).IsValid());
    const QString path = dir.filePath("clip.webp");
    fixtures::writeWebP(path, {100, 100});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(file.size() / 2);
    file.close();
    TVideoReaderEx damaged(path);
    EXPECT_FALSE(damaged.IsValid());
    EXPECT_FALSE(damaged.ErrorText().isEmpty());
}

} // namespace
