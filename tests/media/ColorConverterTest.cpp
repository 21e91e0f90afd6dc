// The colour converter of camera and decoder pictures, and the media start-up.
#include "media/UMFApi.h"
#include "media/UMFColorConverter.h"

#include <gtest/gtest.h>

using platform::media::PixelFormat;

TEST(MFColorConverter, TakesWholePicturesOfItsLayoutOnly) {
    TMFColorConverter converter;
    converter.SetParams(PixelFormat::Uyvy, PixelFormat::Bgra, 640, 480);
    EXPECT_EQ(converter.BufferSizeIn(), 640 * 480 * 2);
    converter.SetParams(PixelFormat::Nv12, PixelFormat::Bgra, 640, 480);
    EXPECT_EQ(converter.BufferSizeIn(), 640 * 480 * 3 / 2);
    converter.SetParams(PixelFormat::I420, PixelFormat::Bgra, 640, 480);
    EXPECT_EQ(converter.BufferSizeIn(), 640 * 480 * 3 / 2);

    converter.SetParams(PixelFormat::Nv12, PixelFormat::Bgra, 16, 8);
    std::vector<uint8_t> in(size_t(converter.BufferSizeIn()) + 1, 128);
    std::vector<uint8_t> out(16 * 8 * 4, 7);
    EXPECT_EQ(converter.ConvertVideoFrame(in.data(), out.data(), converter.BufferSizeIn()), 1)
        << "not started";
    ASSERT_EQ(converter.StartEncode(), 0);
    EXPECT_EQ(converter.ConvertVideoFrame(in.data(), out.data(), converter.BufferSizeIn() + 1), 1);
    EXPECT_EQ(out[0], 7) << "nothing written";
    EXPECT_EQ(converter.ConvertVideoFrame(in.data(), out.data(), converter.BufferSizeIn()), 0);
    EXPECT_EQ(out[3], 255);
    converter.StopEncode();
    EXPECT_EQ(converter.ConvertVideoFrame(in.data(), out.data(), converter.BufferSizeIn()), 1);
}

TEST(MFColorConverter, RefusesAnOutputOtherThanRgb32) {
    TMFColorConverter converter;
    converter.SetParams(PixelFormat::Nv12, PixelFormat::Yuy2, 16, 8);
    EXPECT_EQ(converter.StartEncode(), 1);
    EXPECT_FALSE(converter.IsValid());
}

TEST(MFApi, LoadsTheMediaLayerAndPacksAttributes) {
    LoadMF();
    EXPECT_TRUE(MFAvailable) << MFMissingComponents().toStdString();
    EXPECT_TRUE(MFMissingComponents().isEmpty());
    static_assert(Pack2UINT32AsUINT64(1920, 1080) == 0x0000078000000438ull);
    uint32_t high = 0, low = 0;
    Unpack2UINT32AsUINT64(0x0000078000000438ull, high, low);
    EXPECT_EQ(high, 1920u);
    EXPECT_EQ(low, 1080u);
    ShutdownMF();
}
