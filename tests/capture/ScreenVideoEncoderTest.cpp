// The screen-video frame encoder: band split, exact bytes of small pictures, empty and partial
// delta frames.
#include "capture/UVideoEncoder.h"
#include "media/UVideoCodec_obj.h"
#include "media/UVideoDecoder.h"
#include "media/UVideoFormatTVC.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(ScreenVideoEncoder, BandSplitFollowsTheProcessorCount) {
    struct Case {
        int width, height, processors;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {1366, 768, 8, {12, 12, 12, 12}},
        {1920, 1080, 2, {17, 17, 17, 17}},
        {1920, 1080, 16, {8, 8, 8, 8, 8, 8, 8, 12}},
        {200, 40, 8, {1, 2}},
        {200, 16, 8, {1}},
        {1, 1, 8, {1}},
    };
    for (const Case& c : cases) {
        TVideoEncoder encoder;
        encoder.ProcessorCount = c.processors;
        ASSERT_GT(encoder.StartEncode(c.width, c.height, 0, true), 0);
        ASSERT_EQ(encoder.BandCount(), int(c.rows.size())) << c.width << "x" << c.height;
        for (std::size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(encoder.BandRows(int(i)), c.rows[i]);
    }
}

TEST(ScreenVideoEncoder, StartEncodeReturnsThePaddedSizeOrRefuses) {
    TVideoEncoder encoder;
    EXPECT_EQ(encoder.StartEncode(1366, 768, 0, true), 1376 * 768 * 4);
    EXPECT_EQ(encoder.StartEncode(0, 768, 0, true), 0);
    EXPECT_EQ(encoder.StartEncode(100, 100, 36, true), 0);
}

std::vector<uint8_t> FrameHead(int size, int width, int height, int slices) {
    std::vector<uint8_t> head(kFrameHeaderBytes);
    WriteLE<int32_t>(head.data(), size);
    std::memcpy(head.data() + 4, kTvfMagic, 8);
    head[kFrameKeyOffset] = 1;
    WriteLE<int32_t>(head.data() + kFrameWidthOffset, width);
    WriteLE<int32_t>(head.data() + kFrameHeightOffset, height);
    head[kFrameSliceCountOffset] = static_cast<uint8_t>(slices);
    return head;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct GoldenCase {
    const char* name;
    std::vector<uint8_t> picture; // 16 x 16 BGRA
    std::vector<uint8_t> slice;
    std::vector<uint8_t> yPlaneRows; // expected Y of each pixel row after decoding
};

std::vector<uint8_t> GreyRows(const uint8_t rowGrey[4]) {
    std::vector<uint8_t> picture(16 * 16 * 4);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = picture.data() + 4 * (16 * y + x);
            p[0] = p[1] = p[2] = rowGrey[y % 4];
            p[3] = 255;
        }
    return picture;
}

// Exact bytes of two small pictures: a white one (three flat blocks) and one whose rows of
// luma are 16, 32, 48 and 64 down every sub-block: the vertical ramp, the transpose of the
// worked sub-block example, so its two AC coefficients X(1,0) and X(3,0) lie at scan
// positions 2 and 9 (runs 2 and 7).
TEST(ScreenVideoEncoder, GoldenFramesEncodeAndDecodeExactly) {
    const uint8_t white[4] = {255, 255, 255, 255};
    const uint8_t ramp[4] = {0, 19, 38, 56};
    const GoldenCase cases[] = {
        {"white",
         GreyRows(white),
         {37, 0, 0, 0,   1,    0,   1, 0, 0, 0,   1, 0, 0,                // header
          0,  0, 2, 128, 1,    0,   0, 0, 1, 235, 0, 0, 0, 0, 1, 0, 0, 0, // tables
          2,  0, 0, 0,   0xFB, 0x01},
         std::vector<uint8_t>(16, 235)},
        {"ramp",
         GreyRows(ramp),
         {86,   0,    0,    0,    1,    0,    1,    0,    1,    1,    1,    1,    1, // header
          1,    3,    0,    0,    0,    0,    1,                                     // table 0
          2,    2,    1,    0,    0,    0,    1,    7,    0,    0,    0,    0,    1, // table 1
          2,    40,   0,    0,    0,    0,    1,    128,  1,    0,    0,    0,    1, // table 2
          1,    0,    255,  0,    0,    0,    0,    0,    1,                         // table 3
          2,    238,  1,    0,    0,    0,    1,    255,  0,    0,    0,    0,    1, // table 4
          14,   0,    0,    0,    0x31, 0x0C, 0xC3, 0x30, 0x0C, 0xC3, 0x30, 0x0C, 0xC3,
          0x30, 0x0C, 0xC3, 0xFC, 0x00},
         {16, 30, 49, 63, 16, 30, 49, 63, 16, 30, 49, 63, 16, 30, 49, 63}},
    };
    for (const GoldenCase& c : cases) {
        SCOPED_TRACE(c.name);
        TVideoEncoder encoder;
        ASSERT_GT(encoder.StartEncode(16, 16, 0, true), 0);
        std::vector<uint8_t> frame(encoder.MaxFrameBytes());
        const int size = encoder.Encode(true, c.picture.data(), 64, frame.data());
        frame.resize(size);
        const std::vector<uint8_t> header(c.slice.begin(), c.slice.begin() + 13);
        const auto expected =
            Concat(Concat(FrameHead(int(23 + 13 + c.slice.size()), 16, 16, 1), header), c.slice);
        EXPECT_EQ(frame, expected);

        TVideoDecoder decoder;
        ASSERT_TRUE(decoder.StartDecode(frame.data(), frame.size()));
        std::vector<uint8_t> out(16 * 16 * 4);
        ASSERT_TRUE(decoder.Decode(frame.data(), frame.size(), out.data()))
            << decoder.LastError().toStdString();
        for (int y = 0; y < 16; ++y) {
            uint8_t planes[48];
            std::memset(planes, c.yPlaneRows[y], 16);
            std::memset(planes + 16, 128, 32);
            uint8_t row[64];
            ScalarCodecKernels().Yuv444ToBgra(planes, row, 16);
            EXPECT_EQ(0, std::memcmp(out.data() + 64 * y, row, 64)) << "row " << y;
        }
    }
}

std::vector<uint8_t> Picture(int width, int height, uint8_t grey) {
    std::vector<uint8_t> p(std::size_t(width) * height * 4, grey);
    return p;
}

TEST(ScreenVideoEncoder, UnchangedPictureGivesAnEmptyDeltaFrame) {
    TVideoEncoder encoder;
    encoder.ProcessorCount = 8;
    ASSERT_GT(encoder.StartEncode(100, 70, 5, true), 0);
    std::vector<uint8_t> frame(encoder.MaxFrameBytes());
    const auto picture = Picture(100, 70, 90);
    EXPECT_GT(encoder.Encode(true, picture.data(), 400, frame.data()), 0);
    EXPECT_EQ(encoder.Encode(false, picture.data(), 400, frame.data()), 0);
    EXPECT_GT(encoder.Encode(true, picture.data(), 400, frame.data()), 0); // key frames always
}

// One changed pixel codes only the blocks of its macroblock whose values changed: every other
// row of the frame is empty and the other blocks cost one bit.
TEST(ScreenVideoEncoder, OnePixelChangeCodesOnlyItsMacroblock) {
    TVideoEncoder encoder;
    encoder.ProcessorCount = 8;
    ASSERT_GT(encoder.StartEncode(64, 64, 0, true), 0);
    std::vector<uint8_t> frame(encoder.MaxFrameBytes());
    auto picture = Picture(64, 64, 200);
    TVideoDecoder decoder;
    ASSERT_TRUE(decoder.StartDecode(64, 64, 0));
    std::vector<uint8_t> out(64 * 64 * 4);
    int size = encoder.Encode(true, picture.data(), 256, frame.data());
    ASSERT_TRUE(decoder.Decode(frame.data(), size, out.data()));
    const std::vector<uint8_t> before = out;
    uint8_t* pixel = picture.data() + (64 * 37 + 21) * 4; // macroblock row 2, column 1
    pixel[0] = pixel[1] = pixel[2] = 40;                  // grey: only Y changes
    size = encoder.Encode(false, picture.data(), 256, frame.data());
    ASSERT_GT(size, 0);
    // Three bands (1, 1 and 2 rows): the third band's first row holds the change.
    std::vector<int32_t> rowSizes;
    const uint8_t* slice = frame.data() + 23 + 13 * 3;
    for (int s = 0; s < 3; ++s) {
        const int32_t sliceSize = ReadLE<int32_t>(slice);
        const int rows = slice[4];
        int tablesEnd = 13;
        for (int t = 0; t < 5; ++t) {
            const int count = t == 3 ? ReadLE<uint16_t>(slice + tablesEnd) : slice[tablesEnd];
            tablesEnd += (t == 3 ? 2 + 7 * count : 1 + 6 * count);
        }
        for (int r = 0; r < rows; ++r)
            rowSizes.push_back(ReadLE<int32_t>(slice + tablesEnd + 4 * r));
        slice += sliceSize;
    }
    ASSERT_EQ(rowSizes.size(), 4u);
    EXPECT_EQ(rowSizes[0], 0);
    EXPECT_EQ(rowSizes[1], 0);
    EXPECT_GT(rowSizes[2], 0);
    EXPECT_EQ(rowSizes[3], 0);
    ASSERT_TRUE(decoder.Decode(frame.data(), size, out.data()));
    // Pixels outside the changed macroblock are exactly as before.
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const std::size_t i = (64 * y + x) * 4;
            if (y / 16 != 2 || x / 16 != 1) {
                ASSERT_EQ(out[i], before[i]) << x << "," << y;
            }
        }
    }
}

} // namespace
