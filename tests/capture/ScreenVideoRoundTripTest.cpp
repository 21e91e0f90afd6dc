// Encode -> decode round trips of the three kinds of screen content at every quantiser step.
#include "capture/UVideoEncoder.h"
#include "media/UVideoCodec_obj.h"
#include "media/UVideoDecoder.h"
#include "tests/capture/ScreenVideoContent.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The picture after colour conversion alone: what a lossless coding of the planes gives.
std::vector<uint8_t> ColourRoundTrip(const std::vector<uint8_t>& bgra, int width, int height) {
    std::vector<uint8_t> out(bgra.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += 16) {
            uint8_t src[64] = {}, yuy[48], dst[64];
            const int n = std::min(16, width - x);
            std::copy_n(bgra.data() + (std::size_t(y) * width + x) * 4, 4 * n, src);
            for (int i = 0; i < 16; ++i) {
                const uint8_t* p = src + 4 * i;
                uint8_t block[kMacroblockBytes];
                // One pixel at a time through the block converter's first sample.
                uint8_t area[16 * 64] = {};
                std::copy_n(p, 4, area);
                ScalarCodecKernels().BgraBlockToYuv(area, block, 64);
                yuy[i] = block[0], yuy[16 + i] = block[256], yuy[32 + i] = block[512];
            }
            ScalarCodecKernels().Yuv444ToBgra(yuy, dst, 16);
            std::copy_n(dst, 4 * n, out.data() + (std::size_t(y) * width + x) * 4);
        }
    return out;
}

struct Error {
    int max = 0;
    double rms = 0;
};

Error Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    Error e;
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int d = std::abs(int(a[i]) - int(b[i]));
        e.max = std::max(e.max, d);
        squares += d * d;
    }
    e.rms = std::sqrt(squares / double(a.size()));
    return e;
}

// The quantiser's step doubles every 6 QSteps, and so does the root-mean-square error of the
// pixels it leaves (sharp edges ring, so single pixels may err much more).
double RmsBound(int qstep) {
    return 2.5 * std::pow(2.0, qstep / 6.0);
}

const char* Name(TScreenContent kind) {
    return kind == TScreenContent::Desktop         ? "desktop"
           : kind == TScreenContent::ScrollingText ? "scrolling text"
                                                   : "motion";
}

TEST(ScreenVideoRoundTrip, EveryQStepOnEveryContent) {
    const int width = 120, height = 72, frames = 3;
    for (TScreenContent kind :
         {TScreenContent::Desktop, TScreenContent::ScrollingText, TScreenContent::Motion}) {
        for (int qstep = 0; qstep <= kMaxQStep; ++qstep) {
            SCOPED_TRACE(testing::Message() << Name(kind) << " at QStep " << qstep);
            TVideoEncoder encoder;
            encoder.MultiThread = true;
            ASSERT_GT(encoder.StartEncode(width, height, qstep, true), 0);
            TVideoDecoder decoder;
            decoder.MultiThread = true;
            ASSERT_TRUE(decoder.StartDecode(width, height, qstep));
            std::vector<uint8_t> frame(encoder.MaxFrameBytes()), out(width * height * 4);
            for (int f = 0; f < frames; ++f) {
                const auto picture = ScreenContentFrame(kind, width, height, f);
                const int size = encoder.Encode(f == 0, picture.data(), width * 4, frame.data());
                if (size > 0) {
                    ASSERT_TRUE(decoder.Decode(frame.data(), size, out.data()))
                        << decoder.LastError().toStdString();
                }
                const Error e = Compare(out, ColourRoundTrip(picture, width, height));
                ASSERT_LE(e.rms, RmsBound(qstep)) << "frame " << f;
                if (qstep == 0 && kind == TScreenContent::Motion) {
                    EXPECT_LE(e.max, 10) << "frame " << f;
                }
            }
        }
    }
}

// Uniform 16x16 areas reconstruct exactly at QStep 0: a desktop of flat panels decodes to the
// colour conversion's picture without any error, frame after frame.
TEST(ScreenVideoRoundTrip, FlatPanelsAreExactAtQStepZero) {
    const int width = 64, height = 48;
    TVideoEncoder encoder;
    ASSERT_GT(encoder.StartEncode(width, height, 0, true), 0);
    TVideoDecoder decoder;
    ASSERT_TRUE(decoder.StartDecode(width, height, 0));
    std::vector<uint8_t> frame(encoder.MaxFrameBytes()), out(width * height * 4);
    for (int f = 0; f < 4; ++f) {
        std::vector<uint8_t> picture(width * height * 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = picture.data() + (y * width + x) * 4;
                const int block = (y / 16) * 4 + x / 16 + f;
                p[0] = uint8_t(block * 37), p[1] = uint8_t(block * 91), p[2] = uint8_t(block * 13);
            }
        const int size = encoder.Encode(f == 0, picture.data(), width * 4, frame.data());
        ASSERT_TRUE(decoder.Decode(frame.data(), size, out.data()));
        EXPECT_EQ(out, ColourRoundTrip(picture, width, height)) << "frame " << f;
    }
}

// YUY2 input: the planes take the pairs' chroma as it is.
TEST(ScreenVideoRoundTrip, Yuy2InputDecodesLikeItsPlanes) {
    const int width = 48, height = 32;
    std::vector<uint8_t> yuy2(width * height * 2);
    for (std::size_t i = 0; i < yuy2.size(); ++i)
        yuy2[i] = uint8_t(i % 4 == 1 ? 100 : i % 4 == 3 ? 150 : 60 + (i / 2) % 7 * 16);
    TVideoEncoder encoder;
    ASSERT_GT(encoder.StartEncode(width, height, 0, false), 0);
    std::vector<uint8_t> frame(encoder.MaxFrameBytes()), out(width * height * 4);
    const int size = encoder.Encode(true, yuy2.data(), width * 2, frame.data());
    TVideoDecoder decoder;
    ASSERT_TRUE(decoder.StartDecode(frame.data(), size));
    ASSERT_TRUE(decoder.Decode(frame.data(), size, out.data()));
    std::vector<uint8_t> expected(out.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += 16) {
            uint8_t planes[48];
            ScalarCodecKernels().Yuy2ToYuv444(yuy2.data() + (y * width + x) * 2, planes, 16);
            ScalarCodecKernels().Yuv444ToBgra(planes, expected.data() + (y * width + x) * 4, 16);
        }
    EXPECT_LE(Compare(out, expected).rms, RmsBound(0));
}

} // namespace

namespace {

// Running forward with entropy decoding only and reconstructing once gives the picture of
// decoding and reconstructing every frame; rows without changes keep their pixels.
TEST(ScreenVideoRoundTrip, CoefficientsOnlyUntilThePictureIsWanted) {
    const int width = 80, height = 64, frames = 5;
    for (TScreenContent kind : {TScreenContent::Desktop, TScreenContent::ScrollingText}) {
        TVideoEncoder encoder;
        ASSERT_GT(encoder.StartEncode(width, height, 7, true), 0);
        std::vector<std::vector<uint8_t>> records;
        std::vector<uint8_t> frame(encoder.MaxFrameBytes());
        for (int f = 0; f < frames; ++f) {
            const auto picture = ScreenContentFrame(kind, width, height, f);
            const int size = encoder.Encode(f == 0, picture.data(), width * 4, frame.data());
            if (size > 0)
                records.emplace_back(frame.begin(), frame.begin() + size);
        }
        TVideoDecoder everyFrame, once;
        everyFrame.MultiThread = true;
        ASSERT_TRUE(everyFrame.StartDecode(width, height, 7));
        ASSERT_TRUE(once.StartDecode(width, height, 7));
        std::vector<uint8_t> a(width * height * 4), b(width * height * 4);
        for (const auto& r : records) {
            ASSERT_TRUE(everyFrame.Decode(r.data(), r.size(), a.data()));
            ASSERT_TRUE(once.DecodeToCoef(r.data(), r.size()));
        }
        once.DecodeToArgb();
        once.GetArgb(b.data());
        EXPECT_EQ(a, b);
    }
}

} // namespace

namespace {

// Any picture size from one pixel up encodes and decodes. Small pictures share their
// sub-blocks with the black padding, whose edge rings a little.
TEST(ScreenVideoRoundTrip, SmallAndOddPictureSizes) {
    const std::pair<int, int> sizes[] = {{1, 1}, {17, 1}, {1, 33}, {33, 17}};
    for (auto [width, height] : sizes) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        const auto picture = ScreenContentFrame(TScreenContent::Desktop, width, height, 0);
        TVideoEncoder encoder;
        ASSERT_GT(encoder.StartEncode(width, height, 0, true), 0);
        std::vector<uint8_t> frame(encoder.MaxFrameBytes());
        const int size = encoder.Encode(true, picture.data(), width * 4, frame.data());
        TVideoDecoder decoder;
        ASSERT_TRUE(decoder.StartDecode(frame.data(), size));
        std::vector<uint8_t> out(std::size_t(width) * height * 4);
        ASSERT_TRUE(decoder.Decode(frame.data(), size, out.data()))
            << decoder.LastError().toStdString();
        EXPECT_LE(Compare(out, ColourRoundTrip(picture, width, height)).rms, 3 * RmsBound(0));
    }
}

// The largest picture: uniform blocks come back exactly.
TEST(ScreenVideoRoundTrip, LargestPicture) {
    const int width = 7680, height = 4320;
    const std::vector<uint8_t> picture(std::size_t(width) * height * 4, 100);
    TVideoEncoder encoder;
    encoder.MultiThread = true;
    ASSERT_GT(encoder.StartEncode(width, height, 0, true), 0);
    std::vector<uint8_t> frame(encoder.MaxFrameBytes());
    const int size = encoder.Encode(true, picture.data(), width * 4, frame.data());
    TVideoDecoder decoder;
    decoder.MultiThread = true;
    ASSERT_TRUE(decoder.StartDecode(frame.data(), size));
    std::vector<uint8_t> out(picture.size());
    ASSERT_TRUE(decoder.Decode(frame.data(), size, out.data()))
        << decoder.LastError().toStdString();
    const auto pixel = ColourRoundTrip(std::vector<uint8_t>(64, 100), 16, 1);
    for (std::size_t i = 0; i < out.size(); i += 4)
        ASSERT_EQ(0, std::memcmp(out.data() + i, pixel.data(), 4)) << "pixel " << i / 4;
}

} // namespace
