// Colour conversion of the layouts cameras and decoders deliver.
#include "platform/media/VideoConverter.h"

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
