// Animated GIF files written by the GIF encoder, read back frame by frame: delays that carry
// their remainder, held frames and frames longer than a GIF delay, changed rectangles, palettes
// within the format's limits and transparency that never depends on a pixel's colour.
#include "media/UMFEncoderGif.h"
#include "platform/media/GifAnimation.h"
#include "platform/media/GifWriter.h"
#include "tests/support/media/EncoderChecks.h"

#include <QTemporaryDir>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <numeric>

using namespace platform::media;

namespace {

constexpr int W = 64;
constexpr int H = 48;

// A picture with many colours: a different colour for each pixel.
std::vector<uint8_t> gradient(int seed = 0) {
    std::vector<uint8_t> frame(size_t(W) * H * 4);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint8_t* p = &frame[(size_t(y) * W + size_t(x)) * 4];
            p[0] = uint8_t(x * 4 + seed);
            p[1] = uint8_t(y * 5);
            p[2] = uint8_t((x + y) * 3);
            p[3] = 0xFF;
        }
    return frame;
}

void setPixel(std::vector<uint8_t>& frame, int x, int y, uint32_t value) {
    std::memcpy(&frame[(size_t(y) * W + size_t(x)) * 4], &value, 4);
}

uint32_t pixelAt(const std::vector<uint8_t>& frame, int x, int y) {
    uint32_t value;
    std::memcpy(&value, &frame[(size_t(y) * W + size_t(x)) * 4], 4);
    return value;
}

// What giflib reads of each frame's palette and transparency.
struct RawFrame {
    int colours = 0;
    int transparentIndex = -1;
};

std::vector<RawFrame> readRaw(const QString& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.toLocal8Bit().constData(), &error);
    std::vector<RawFrame> frames;
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << "giflib cannot read " << path.toStdString();
        if (gif)
            DGifCloseFile(gif, &error);
        return frames;
    }
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        frames.push_back(
            RawFrame{image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap->ColorCount : 0,
                     control.TransparentColor});
    }
    DGifCloseFile(gif, &error);
    return frames;
}

class EncoderGif : public testing::Test {
protected:
    void start(int fps, int quality = 80) {
        encoder.SetParams(W, H, fps, quality, false, 44100, 16000, dir.filePath("anim"));
        ASSERT_EQ(encoder.StartEncode(), MF_S_OK) << encoder.LastError().toStdString();
    }

    std::unique_ptr<GifAnimation> stop() {
        EXPECT_EQ(encoder.StopEncode(), MF_S_OK) << encoder.LastError().toStdString();
        return std::make_unique<GifAnimation>(encoder.FileName().toStdString());
    }

    static std::vector<int> delays(const GifAnimation& gif) {
        std::vector<int> out;
        for (const GifFrame& f : gif.frames())
            out.push_back(f.delayCs);
        return out;
    }

    QTemporaryDir dir;
    TMFEncoderGIF encoder;
};

TEST_F(EncoderGif, DelaysCarryTheirRemainder) {
    start(15);
    for (int k = 0; k < 6; ++k)
        encoder.AddVideoFrame(gradient(k).data());
    const auto gif = stop();
    EXPECT_EQ(gif->width(), W);
    EXPECT_EQ(gif->height(), H);
    EXPECT_EQ(delays(*gif), (std::vector<int>{6, 7, 7, 6, 7, 7}));
    for (const GifFrame& f : gif->frames())
        EXPECT_EQ(f.disposal, 2);
    if (const auto probed = encoderchecks::ffprobe(encoder.FileName())) {
        ASSERT_EQ(probed->size(), 1u);
        EXPECT_EQ(probed->at(0).codec, "gif");
        EXPECT_EQ(probed->at(0).width, W);
        EXPECT_EQ(probed->at(0).height, H);
        EXPECT_EQ(probed->at(0).frames, 6);
    }
}

TEST_F(EncoderGif, HeldFrameGetsAllItsSlots) {
    encoder.UseVFR = true;
    start(10);
    const auto a = gradient(0), b = gradient(1);
    for (int k = 0; k < 12; ++k)
        encoder.AddVideoFrame(a.data());
    encoder.AddVideoFrame(b.data());
    const auto gif = stop();
    EXPECT_EQ(delays(*gif), (std::vector<int>{120, 10}));
}

// Twenty minutes are 120,000 hundredths, more than the 65,535 a delay holds: the frame is
// written twice and the two delays add up to the real time.
TEST_F(EncoderGif, FrameHeldForTwentyMinutesKeepsItsLength) {
    encoder.UseVFR = true;
    start(10);
    const auto a = gradient(0), b = gradient(1);
    encoder.AddVideoFrame(a.data());
    for (int k = 1; k < 20 * 60 * 10; ++k)
        encoder.AddVideoFrame(a.data());
    encoder.AddVideoFrame(b.data());
    const auto gif = stop();
    const std::vector<int> d = delays(*gif);
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0] + d[1], 120'000);
    EXPECT_LE(std::max(d[0], d[1]), GifMaxDelayCs);
    EXPECT_EQ(d[2], 10);
    // Both halves show the same picture.
    std::vector<uint8_t> first(size_t(W) * H * 4), second(size_t(W) * H * 4);
    gif->drawFrame(0, first.data(), W * 4);
    second = first;
    gif->drawFrame(1, second.data(), W * 4);
    EXPECT_EQ(first, second);
}

TEST_F(EncoderGif, ChangedRectanglesAndTheMinimalFrame) {
    encoder.UseChanges = true;
    start(10);
    auto frame = gradient();
    encoder.AddVideoFrame(frame.data());
    setPixel(frame, 40, 30, 0xFF0000FF);
    encoder.AddVideoFrame(frame.data());
    encoder.AddVideoFrame(frame.data()); // nothing changed
    const auto gif = stop();
    ASSERT_EQ(gif->frames().size(), 3u);
    const GifFrame& changed = gif->frames()[1];
    EXPECT_EQ(std::tie(changed.left, changed.top, changed.width, changed.height),
              std::make_tuple(40, 30, 1, 1));
    EXPECT_EQ(changed.disposal, 1);
    const GifFrame& minimal = gif->frames()[2];
    EXPECT_EQ(std::tie(minimal.left, minimal.top, minimal.width, minimal.height),
              std::make_tuple(0, 0, 16, 16));
}

TEST_F(EncoderGif, PalettesStayWithinTheFormatWhateverTheQuality) {
    for (int quality : {0, 30, 50, 80, 100}) {
        TMFEncoderGIF gifEncoder;
        gifEncoder.SetParams(W, H, 10, quality, false, 44100, 16000,
                             dir.filePath(QStringLiteral("q%1").arg(quality)));
        ASSERT_EQ(gifEncoder.StartEncode(), MF_S_OK);
        gifEncoder.AddVideoFrame(gradient(0).data());
        gifEncoder.AddVideoFrame(gradient(1).data());
        ASSERT_EQ(gifEncoder.StopEncode(), MF_S_OK) << gifEncoder.LastError().toStdString();
        const std::vector<RawFrame> frames = readRaw(gifEncoder.FileName());
        ASSERT_EQ(frames.size(), 2u);
        const int asked = GifColoursForQuality(quality);
        for (const RawFrame& f : frames) {
            EXPECT_GE(f.colours, 2) << quality;
            EXPECT_LE(f.colours, 256) << quality;
            // The palette is the asked count rounded up to the power of two GIF stores.
            EXPECT_LT(f.colours, 2 * std::max(asked, 2)) << quality;
        }
    }
}

// A changed pixel that happens to have the key colour stays opaque: transparency comes from a
// palette entry of its own, given only to unchanged pixels.
TEST_F(EncoderGif, TransparencyNeverDependsOnAPixelsColour) {
    encoder.UseChanges = true;
    encoder.UseTransparency = true;
    start(10, 100);
    auto frame = gradient();
    encoder.AddVideoFrame(frame.data());
    setPixel(frame, 10, 10, encoder.TransparentColor);
    setPixel(frame, 20, 12, 0xFFFF0000);
    encoder.AddVideoFrame(frame.data());
    const auto gif = stop();

    const std::vector<RawFrame> raw = readRaw(encoder.FileName());
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(raw[0].transparentIndex, -1);
    EXPECT_GE(raw[1].transparentIndex, 0);
    EXPECT_LT(raw[1].transparentIndex, raw[1].colours);

    std::vector<uint8_t> canvas(size_t(W) * H * 4, 0);
    gif->drawFrame(0, canvas.data(), W * 4);
    const std::vector<uint8_t> before = canvas;
    gif->drawFrame(1, canvas.data(), W * 4);
    EXPECT_EQ(pixelAt(canvas, 10, 10), encoder.TransparentColor);
    EXPECT_EQ(pixelAt(canvas, 20, 12), 0xFFFF0000u);
    EXPECT_NE(pixelAt(before, 10, 10), encoder.TransparentColor);
    // The unchanged pixels inside the rectangle let the first frame show through.
    EXPECT_EQ(pixelAt(canvas, 15, 11), pixelAt(before, 15, 11));
}

// Slots missed between two captured frames stretch the held one; the frame captured at 1000 ms
// starts at 900 ms, as the catch-up leaves the new frame's own slot out.
TEST_F(EncoderGif, RecordingTimesStretchTheHeldFrame) {
    encoder.UseVFR = true;
    start(10);
    encoder.AddVideoFrameFromRecording(gradient(0).data(), 0);
    encoder.AddVideoFrameFromRecording(gradient(1).data(), 1000);
    encoder.AddVideoFrameFromRecording(gradient(2).data(), 1100);
    const auto gif = stop();
    EXPECT_EQ(delays(*gif), (std::vector<int>{90, 10, 10}));
}

} // namespace
