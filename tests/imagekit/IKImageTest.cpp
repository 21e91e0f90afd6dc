// Images from memory, bitmaps and pictures; reading them back; the context stack and drawing
// through the three kinds of context.
#include "imagekit/IKImage.h"

#include "imagekit/IKContext.h"
#include "imagekit/IKTextures.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

template <class F> std::string ErrorOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(IKImage, FromPackedRgbBits) {
    const std::uint8_t rgb[12] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    auto image = TIKImage::CreateWithBits(rgb, pfRGB, 2, 2);
    EXPECT_TRUE(IKSameRect(image->Extent(), {0, 0, 2, 2}));
    ASSERT_NE(image->Texture(), nullptr);
    const QImage& bitmap = image->Bitmap();
    EXPECT_EQ(bitmap.pixel(0, 0), qRgba(10, 20, 30, 255));
    EXPECT_EQ(bitmap.pixel(1, 1), qRgba(100, 110, 120, 255));
    std::uint8_t back[12] = {};
    image->ReadBits(back, pfRGB);
    EXPECT_EQ(0, std::memcmp(back, rgb, 12));
}

TEST(IKImage, LargeBitmapsShrinkToNineTenthsOfTheLimit) {
    struct Case {
        QSize from;
        QSize to;
    };
    const Case cases[] = {{{10000, 5000}, {7372, 3686}},
                          {{5000, 10000}, {3686, 7372}},
                          {{8192, 8192}, {8192, 8192}},
                          {{9000, 10}, {7372, 8}}};
    for (const Case& c : cases)
        EXPECT_EQ(TIKImage::ShrunkSize(c.from.width(), c.from.height()), c.to) << c.from.width();
    QImage wide(9000, 10, QImage::Format_ARGB32_Premultiplied);
    wide.fill(Qt::red);
    auto image = TIKImage::CreateWithBitmap(wide);
    ASSERT_NE(image->Texture(), nullptr);
    EXPECT_EQ(image->Texture()->Width(), 7372);
    EXPECT_EQ(image->Texture()->Height(), 8);
}

TEST(IKImage, PictureWithoutShrinkingFailsBeyondTheLimitAndKeepsItsPixels) {
    QImage small(3, 3, QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::blue);
    auto image = TIKImage::CreateWithGPBitmap(small);
    const TIKTexture* kept = image->Texture();
    QImage wide(9000, 100, QImage::Format_ARGB32_Premultiplied);
    wide.fill(Qt::red);
    EXPECT_EQ(ErrorOf([&] { image->InitWithGPBitmap(wide); }), "Can't create texture");
    EXPECT_EQ(image->Texture(), kept);
    EXPECT_TRUE(IKSameRect(image->Extent(), {0, 0, 3, 3}));
}

TEST(IKImage, StraightAlphaPicturesArePremultipliedWithRounding) {
    QImage png(2, 1, QImage::Format_ARGB32);
    png.setPixel(0, 0, qRgba(200, 50, 0, 128));
    png.setPixel(1, 0, qRgba(200, 0, 0, 130));
    auto image = TIKImage::CreateWithGraphic(png);
    std::uint8_t rgba[8] = {};
    image->ReadBits(rgba, pfRGBA);
    // 200 x 128 / 255 = 100.39; 50 x 128 / 255 = 25.1; 200 x 130 / 255 = 101.96.
    const std::uint8_t expected[8] = {100, 25, 0, 128, 102, 0, 0, 130};
    EXPECT_EQ(0, std::memcmp(rgba, expected, 8));
}

TEST(IKImage, ReadingGivesPremultipliedBytesAndNeedsPixels) {
    const std::uint8_t halfWhite[4] = {128, 128, 128, 128};
    auto image = TIKImage::CreateWithBits(halfWhite, pfBGRA, 1, 1);
    std::uint8_t rgba[4] = {};
    image->ReadBits(rgba, pfRGBA);
    EXPECT_EQ(0, std::memcmp(rgba, halfWhite, 4));
    auto empty = TIKImage::CreateEmpty();
    EXPECT_EQ(ErrorOf([&] { empty->ReadBits(rgba, pfRGBA); }), "Nothing to read");
    auto missing = TIKImage::CreateWithFile("/nonexistent/picture.png");
    EXPECT_EQ(missing->Texture(), nullptr);
}

TEST(IKContexts, NestedDrawsActivateOnceAndStack) {
    TIKNullContext outer;
    TIKNullContext inner;
    EXPECT_EQ(TIKContext::CurrentContext(), nullptr);
    outer.BeginDraw();
    inner.BeginDraw();
    inner.BeginDraw();
    EXPECT_EQ(TIKContext::CurrentContext(), &inner);
    inner.EndDraw();
    EXPECT_EQ(TIKContext::CurrentContext(), &inner);
    inner.EndDraw();
    EXPECT_EQ(TIKContext::CurrentContext(), &outer);
    outer.EndDraw();
    EXPECT_EQ(TIKContext::CurrentContext(), nullptr);
}

std::unique_ptr<TIKImage> Opaque(QRgb color, int width, int height) {
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.fill(color);
    return TIKImage::CreateWithGPBitmap(picture);
}

TEST(IKContexts, RenderTextureAndPainterContextsDraw) {
    auto image = Opaque(qRgb(200, 100, 50), 2, 2);
    TIKNullContext nothing;
    nothing.DrawImage(image.get(), {0, 0, 2, 2});

    TDXRenderTexture target({}, 6, 4, pfBGRA);
    auto onTexture = TIKContext::CreateWithTexture(&target);
    onTexture->DrawImage(image.get(), {2, 1, 2, 2});
    EXPECT_EQ(TIKContext::CurrentContext(), nullptr);
    QImage drawn;
    target.AssignTo(drawn);
    EXPECT_EQ(drawn.pixel(2, 1), qRgb(200, 100, 50));
    EXPECT_EQ(drawn.pixel(3, 2), qRgb(200, 100, 50));
    EXPECT_EQ(qAlpha(drawn.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(drawn.pixel(4, 2)), 0);

    QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        auto onPainter = TIKContext::CreateWithDC(&painter);
        onPainter->DrawImage(image.get(), {4, 4, 4, 4});
    }
    EXPECT_EQ(canvas.pixel(5, 5), qRgb(200, 100, 50));
    EXPECT_EQ(qAlpha(canvas.pixel(1, 1)), 0);
}

} // namespace
