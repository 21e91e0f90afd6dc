// The screen-video decoder's set-up: row split over the processors, picture sizes and refusals.
#include "media/UVideoDecoder.h"
#include "media/UVideoFormatTVC.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(ScreenVideoDecoder, RowSplitFollowsTheProcessorCount) {
    struct Case {
        int width, height, processors;
        std::vector<int> starts;
    };
    const Case cases[] = {
        {1920, 1080, 16, {0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52}},
        {1920, 1080, 8, {0, 11, 22, 33, 44, 55}},
        {640, 48, 8, {0, 2}},  // three rows: two tasks of 2 and 1 rows
        {640, 32, 8, {0}},     // two rows: one task
        {1, 1, 64, {0}},       // one row
        {7680, 4320, 300, {}}, // 270 rows, 135 tasks
    };
    for (const Case& c : cases) {
        TVideoDecoder decoder;
        decoder.ProcessorCount = c.processors;
        ASSERT_TRUE(decoder.StartDecode(c.width, c.height, 0));
        if (c.starts.empty()) {
            EXPECT_EQ(decoder.RowTaskCount(), 135);
            continue;
        }
        ASSERT_EQ(decoder.RowTaskCount(), int(c.starts.size())) << c.width << "x" << c.height;
        for (std::size_t j = 0; j < c.starts.size(); ++j)
            EXPECT_EQ(decoder.RowTaskStart(int(j)), c.starts[j]);
    }
}

TEST(ScreenVideoDecoder, RefusesSizesAndQuantisersOutsideTheFormat) {
    const int cases[][3] = {{0, 10, 0},      {10, 0, 0},     {-5, 10, 0},   {16385, 16, 0},
                            {7681, 4320, 0}, {100, 100, 36}, {100, 100, -1}};
    for (const auto& c : cases) {
        TVideoDecoder decoder;
        EXPECT_FALSE(decoder.StartDecode(c[0], c[1], c[2]));
        EXPECT_FALSE(decoder.LastError().isEmpty());
    }
}

TEST(ScreenVideoDecoder, RefusesFramesBeforeStartAndShortRecords) {
    TVideoDecoder decoder;
    const uint8_t frame[kFrameHeaderBytes] = {};
    EXPECT_FALSE(decoder.DecodeToCoef(frame, sizeof frame));
    ASSERT_TRUE(decoder.StartDecode(100, 100, 3));
    EXPECT_FALSE(decoder.DecodeToCoef(frame, 10));
    EXPECT_FALSE(decoder.DecodeToCoef(frame, sizeof frame));
    EXPECT_FALSE(decoder.StartDecode(frame, 5));
}

TEST(ScreenVideoDecoder, PaddedPictureIsCutToItsSize) {
    TVideoDecoder decoder;
    ASSERT_TRUE(decoder.StartDecode(100, 100, 0));
    decoder.DecodeToArgb(); // zero coefficients: a defined picture
    std::vector<uint8_t> out(100 * 100 * 4 + 16, 0xEE);
    decoder.GetArgb(out.data());
    EXPECT_EQ(out[100 * 100 * 4 - 1], 255); // alpha of the last pixel
    EXPECT_EQ(out[100 * 100 * 4], 0xEE);    // nothing written past the picture
}

} // namespace
