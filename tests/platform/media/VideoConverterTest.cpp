// Colour conversion of the layouts cameras and decoders deliver.
#include "platform/media/VideoConverter.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace platform::media;

namespace {

constexpr int Width = 8;
constexpr int Height = 4;

// A picture whose top half is white and bottom half black (limited-range YUV).
std::vector<uint8_t> halfWhite(PixelFormat format) {
    std::vector<uint8_t> data(size_t(pictureBytes(format, Width, Height)), 128);
    const auto luma = [](int y) { return uint8_t(y < Height / 2 ? 235 : 16); };
    if (format == PixelFormat::Yuy2 || format == PixelFormat::Uyvy) {
        const int lumaAt = format == PixelFormat::Yuy2 ? 0 : 1;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                data[size_t(y) * Width * 2 + x * 2 + lumaAt] = luma(y);
    } else {
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                data[size_t(y) * Width + x] = luma(y);
    }
    return data;
}

class VideoConverterLayouts : public testing::TestWithParam<PixelFormat> {};

TEST_P(VideoConverterLayouts, ConvertsTopRowFirst) {
    VideoConverter converter;
    converter.setup(GetParam(), Width, Height);
    ASSERT_TRUE(converter.isValid());
    const std::vector<uint8_t> input = halfWhite(GetParam());
    std::vector<uint8_t> out(size_t(Width) * Height * 4, 7);
    converter.convert(PictureView::contiguous(GetParam(), Width, Height, input.data()), out.data(),
                      Width * 4);
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_GE(out[size_t(channel)], 250) << "top row, channel " << channel;
        EXPECT_LE(out[size_t(Width * 4 * (Height - 1) + channel)], 5) << "bottom row";
    }
    EXPECT_EQ(out[3], 255);
}

INSTANTIATE_TEST_SUITE_P(Layouts, VideoConverterLayouts,
                         testing::Values(PixelFormat::Nv12, PixelFormat::I420, PixelFormat::Uyvy,
                                         PixelFormat::Yuy2));

// A uniform 4:2:0 picture of one limited-range BT.601 colour.
std::vector<uint8_t> uniform420(PixelFormat format, int width, int height, uint8_t y, uint8_t u,
                                uint8_t v) {
    std::vector<uint8_t> data(size_t(pictureBytes(format, width, height)));
    const size_t lumaBytes = size_t(width) * height;
    const size_t chromaBytes = size_t((width + 1) / 2) * ((height + 1) / 2);
    std::fill_n(data.begin(), lumaBytes, y);
    if (format == PixelFormat::I420) {
        std::fill_n(data.begin() + ptrdiff_t(lumaBytes), chromaBytes, u);
        std::fill_n(data.begin() + ptrdiff_t(lumaBytes + chromaBytes), chromaBytes, v);
    } else {
        for (size_t i = 0; i < chromaBytes; ++i) {
            data[lumaBytes + 2 * i] = u;
            data[lumaBytes + 2 * i + 1] = v;
        }
    }
    return data;
}

// Saturated colours at widths whose rows end inside a group of 16 pixels; the bytes after the
// caller's picture must stay as they were. Red and blue differ only in the order of U and V.
TEST(VideoConverter, SaturatedColoursAtAnyWidthStayInsideTheBuffer) {
    struct Colour {
        const char* name;
        uint8_t y, u, v;
        uint8_t bgr[3];
    };
    const Colour colours[] = {{"red", 81, 90, 240, {0, 0, 255}},
                              {"green", 145, 54, 34, {0, 255, 0}},
                              {"blue", 41, 240, 110, {255, 0, 0}}};
    constexpr int Rows = 4; // the scaler's fast path takes pictures of even height
    constexpr size_t Canary = 256;
    for (const PixelFormat format : {PixelFormat::I420, PixelFormat::Nv12})
        for (const int width : {360, 1080, 641, 1, 16})
            for (const Colour& c : colours) {
                SCOPED_TRACE(testing::Message()
                             << c.name << " at width " << width << " format " << int(format));
                VideoConverter converter;
                converter.setup(format, width, Rows);
                const auto input = uniform420(format, width, Rows, c.y, c.u, c.v);
                const size_t bytes = size_t(width) * Rows * 4;
                std::vector<uint8_t> out(bytes + Canary, 0xA5);
                converter.convert(PictureView::contiguous(format, width, Rows, input.data()),
                                  out.data(), width * 4);
                for (size_t i = bytes; i < out.size(); ++i)
                    ASSERT_EQ(out[i], 0xA5) << "written " << i - bytes << " bytes past the end";
                for (const size_t pixel : {size_t(0), size_t(width) * Rows - 1})
                    for (int channel = 0; channel < 3; ++channel)
                        EXPECT_NEAR(out[pixel * 4 + size_t(channel)], c.bgr[channel], 3)
                            << "pixel " << pixel << " channel " << channel;
            }
}

TEST(VideoConverter, RefusesWhatItCannotConvert) {
    VideoConverter converter;
    EXPECT_THROW(converter.setup(PixelFormat::Unknown, Width, Height), MediaError);
    EXPECT_THROW(converter.setup(PixelFormat::Nv12, 0, Height), MediaError);
    EXPECT_FALSE(converter.isValid());
    std::vector<uint8_t> input(size_t(pictureBytes(PixelFormat::Nv12, Width, Height)));
    std::vector<uint8_t> out(size_t(Width) * Height * 4);
    const PictureView view =
        PictureView::contiguous(PixelFormat::Nv12, Width, Height, input.data());
    EXPECT_THROW(converter.convert(view, out.data(), Width * 4), MediaError);
    converter.setup(PixelFormat::Nv12, Width, Height);
    const PictureView other =
        PictureView::contiguous(PixelFormat::I420, Width, Height, input.data());
    EXPECT_THROW(converter.convert(other, out.data(), Width * 4), MediaError);
    EXPECT_THROW(converter.convert(view, out.data(), Width * 4 - 1), MediaError);
}

TEST(PictureBytes, CountsWholePictures) {
    EXPECT_EQ(pictureBytes(PixelFormat::Uyvy, 640, 480), 640 * 480 * 2);
    EXPECT_EQ(pictureBytes(PixelFormat::Nv12, 640, 480), 640 * 480 * 3 / 2);
    EXPECT_EQ(pictureBytes(PixelFormat::I420, 640, 480), 640 * 480 * 3 / 2);
    EXPECT_EQ(pictureBytes(PixelFormat::Bgra, 3, 2), 24);
}

} // namespace
