#include "platform/render/Bitmap.h"

#include <gtest/gtest.h>
#include <vector>

using namespace platform::render;

namespace {

uint32_t at(const Bitmap& b, int x, int y) {
    return reinterpret_cast<const uint32_t*>(b.image().constScanLine(y))[x];
}

TEST(Bitmap, RefusesBadSizesAndPitches) {
    const uint32_t px[4] = {};
    EXPECT_EQ(Bitmap::create({0, 4}), nullptr);
    EXPECT_EQ(Bitmap::create({4, 0}), nullptr);
    EXPECT_EQ(Bitmap::create({100000, 4}), nullptr);
    EXPECT_EQ(Bitmap::create({2, 2}, {}, px, 4), nullptr); // pitch below width * 4
    EXPECT_EQ(Bitmap::fromImage(QImage()), nullptr);
}

TEST(Bitmap, CreatedFromMemoryWithPaddedRows) {
    const uint32_t rows[2][3] = {{0xff000001, 0xff000002, 0xdeadbeef},
                                 {0xff000003, 0xff000004, 0xdeadbeef}};
    const BitmapPtr b = Bitmap::create({2, 2}, {}, rows, 12);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(at(*b, 1, 0), 0xff000002u);
    EXPECT_EQ(at(*b, 0, 1), 0xff000003u);
    EXPECT_EQ(b->size().width, 2); // 96 DPI: one DIP per pixel
}

TEST(Bitmap, MapsOnlyCpuReadCopiesOnce) {
    const BitmapPtr target =
        Bitmap::create({4, 4}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    EXPECT_FALSE(target->map());
    const BitmapPtr copy =
        Bitmap::create({4, 4}, {AlphaMode::Premultiplied, 96, 96,
                                BitmapOptions::CpuRead | BitmapOptions::CannotDraw});
    const std::vector<uint32_t> red(16, 0xffff0000);
    target->copyFromMemory(red.data(), 16);
    ASSERT_TRUE(copy->copyFromBitmap({0, 0}, *target));
    const auto mapped = copy->map();
    ASSERT_TRUE(mapped);
    EXPECT_EQ(mapped->pitch, 16);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(mapped->bits)[5], 0xffff0000u);
    EXPECT_FALSE(copy->map()); // already mapped
    EXPECT_TRUE(copy->unmap());
    EXPECT_FALSE(copy->unmap());
}

TEST(Bitmap, CopyFromBitmapClipsBothSides) {
    const std::vector<uint32_t> blue(16, 0xff0000ff);
    const BitmapPtr src = Bitmap::create({4, 4}, {}, blue.data(), 16);
    const BitmapPtr dst = Bitmap::create({4, 4});
    EXPECT_TRUE(dst->copyFromBitmap({2, 2}, *src, RectL{0, 0, 4, 4}));
    EXPECT_EQ(at(*dst, 1, 1), 0u);
    EXPECT_EQ(at(*dst, 2, 2), 0xff0000ffu);
    EXPECT_EQ(at(*dst, 3, 3), 0xff0000ffu);
    EXPECT_FALSE(dst->copyFromBitmap({10, 10}, *src));
    EXPECT_FALSE(dst->copyFromMemory(blue.data(), 16, RectL{2, 2, 6, 6})); // outside
}

TEST(Bitmap, RenderGivesTransparentPixelsOutsideAndOpaqueForIgnoredAlpha) {
    const uint32_t raw[1] = {0x00112233};
    const BitmapPtr b = Bitmap::create({1, 1}, {AlphaMode::Ignore}, raw, 4);
    const ImageTile tile = b->render({-1, -1, 2, 2});
    EXPECT_EQ(tile.pixelAt(0, 0), 0xff112233u);
    EXPECT_EQ(tile.pixelAt(-1, -1), 0u);
    EXPECT_EQ(tile.pixelAt(1, 1), 0u);
}

} // namespace
