// The picture object's render chain on small made-up pictures: the fit, the crop of an unfitted
// picture, the SVG raster size, which effects act inside the picture, the mask clip against the
// text rectangle, and the pointer of a cursor track.
#include "graphics/URPropEffect.h"
#include "graphics/URPropFlipOpacity.h"
#include "objects/URPropCursor.h"
#include "objects/URPropMask.h"
#include "objects/URPropText.h"
#include "objects/kinds/URImage.h"
#include "tests/objects/kinds/KindsTestSupport.h"

#include <QDataStream>
#include <QFile>

using namespace platform::render;

namespace {

class ImageChain : public KindsTest {
protected:
    // A picture object showing `picture` in a placement of `size`, without border.
    std::unique_ptr<TRImage> Showing(const QImage& picture, QSizeF size,
                                     TRObjectType type = otImage) {
        auto image = Make<TRImage>(type);
        Place(*image, size);
        image->GetProperty(ptBackgroundBorder, true)->SetChecked(false);
        image->FMediaBitmap = Bitmap::fromImage(picture);
        return image;
    }
};

// Red left of x = 110 and green above y = 105, over opaque black, 400 x 300.
QRgb Corners(int x, int y) {
    return qRgb(x < 110 ? 255 : 0, y < 105 ? 255 : 0, 0);
}

QRgb Checkers(int x, int y) {
    return (x / 2 + y / 2) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
}

} // namespace

TEST_F(ImageChain, APictureOfThePlacementSizePassesUnscaled) {
    const QImage picture = Picture(20, 10, [](int x, int y) { return qRgb(x * 12, y * 25, 7); });
    auto image = Showing(picture, {20, 10});
    image->UpdateBitmap();
    ASSERT_EQ(image->FBitmap->pixelSize(), (SizeU{20, 10}));
    for (const QPoint p : {QPoint(0, 0), QPoint(19, 0), QPoint(7, 3), QPoint(19, 9)})
        EXPECT_EQ(PixelOf(*image->FBitmap, p.x(), p.y()), picture.pixel(p))
            << p.x() << "," << p.y();
}

TEST_F(ImageChain, AnUnfittedPictureIsCentredAndCropped) {
    // 400 x 300 in 200 x 100 with Scale off: offset (-100, -100), so the bitmap's pixel (x, y)
    // is the picture's (x + 100, y + 100).
    auto image = Showing(Picture(400, 300, Corners), {200, 100});
    Own<TRPropFlipOpacity>(*image, ptFlipOpacity)->FScale = false;
    image->UpdateBitmap();
    ASSERT_EQ(image->FBitmap->pixelSize(), (SizeU{200, 100}));
    EXPECT_EQ(PixelOf(*image->FBitmap, 5, 2), 0xFFFFFF00u);    // picture (105, 102)
    EXPECT_EQ(PixelOf(*image->FBitmap, 15, 2), 0xFF00FF00u);   // picture (115, 102)
    EXPECT_EQ(PixelOf(*image->FBitmap, 5, 10), 0xFFFF0000u);   // picture (105, 110)
    EXPECT_EQ(PixelOf(*image->FBitmap, 199, 99), 0xFF000000u); // picture (299, 199)
}

TEST_F(ImageChain, AFittedPictureIsScaledToThePlacement) {
    // 40 x 20, left half red, fitted into 20 x 10: the left half of the bitmap is red.
    auto image = Showing(
        Picture(40, 20, [](int x, int) { return x < 20 ? qRgb(255, 0, 0) : qRgb(0, 0, 255); }),
        {20, 10});
    image->UpdateBitmap();
    EXPECT_TRUE(Near(PixelOf(*image->FBitmap, 4, 5), 0xFFFF0000u));
    EXPECT_TRUE(Near(PixelOf(*image->FBitmap, 15, 5), 0xFF0000FFu));
}

TEST_F(ImageChain, ASvgUnderOnePixelIsRasterisedAtOnePixel) {
    QFile svg(project_->TempFolder + "square.svg");
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20">)"
              R"(<rect width="40" height="20" fill="red"/></svg>)");
    svg.close();
    auto image = Make<TRImage>(otImage);
    image->SetMediaName("square.svg");
    ASSERT_TRUE(image->OpenMedia());
    Place(*image, {0.5, 0.4});
    image->UpdateBitmap();
    ASSERT_TRUE(image->FMediaBitmap);
    EXPECT_EQ(image->FMediaBitmap->pixelSize(), (SizeU{1, 1}));
    // At its own size it is drawn at the shown size, fitted.
    Place(*image, {80, 40});
    image->UpdateBitmap();
    EXPECT_EQ(image->FMediaBitmap->pixelSize(), (SizeU{80, 40}));
    EXPECT_EQ(PixelOf(*image->FMediaBitmap, 79, 39), 0xFFFF0000u);
}

TEST_F(ImageChain, OnlyInvertedEffectsAndColorizeActInsideThePicture) {
    struct Case {
        const char* effect;
        bool invert;
        bool inside;
    };
    const Case cases[] = {{"Colorize", false, true},
                          {"Colorize", true, true},
                          {"Gaussian Blur", false, false},
                          {"Gaussian Blur", true, true},
                          {"Pixelate", false, false}};
    const QImage picture = Picture(16, 16, Checkers);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.effect) + (c.invert ? " inverted" : ""));
        auto image = Showing(picture, {16, 16});
        auto* effect = Own<TRPropEffect>(*image, ptEffect);
        effect->SetChecked(true);
        effect->FEffectName = c.effect;
        effect->FInvert = c.invert;
        effect->FIntensity = 0.5f;
        effect->FColor = 0x0000FF;
        image->UpdateBitmap();
        bool same = true;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                same = same && PixelOf(*image->FBitmap, x, y) == picture.pixel(x, y);
        EXPECT_EQ(same, !c.inside);
    }
}

TEST_F(ImageChain, AnUncheckedMaskClipsToTheRectangleButShapesTheText) {
    const QImage clear = Picture(200, 100, [](int, int) { return qRgba(0, 0, 0, 0); });
    const QImage opaque = Picture(200, 100, [](int, int) { return qRgb(0, 0, 255); });
    // The leftmost column with any text on it.
    const auto textLeft = [&](bool maskChecked, const char* shape) {
        auto image = Showing(clear, {200, 100});
        auto* mask = Own<TRPropMask>(*image, ptMask);
        // The group has no check box of its own; a project file can give it one.
        mask->SetUseCheckBox(true);
        mask->SetChecked(maskChecked);
        mask->FShapeName = shape;
        auto* text = Own<TRPropText>(*image, ptText);
        text->SetChecked(true);
        text->FText = "IIIIIIIIIIIIIIIIIIIIIIIIIIIII";
        text->FAlignmentH = 0;
        text->FFontSize = 30;
        image->UpdateBitmap();
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 100; ++y)
                if (qAlpha(PixelOf(*image->FBitmap, x, y)) > 0)
                    return x;
        return 200;
    };
    TRPropMask circle;
    circle.FShapeName = "Circle";
    const double inset = circle.GetTextRectangle(QRectF(0, 0, 200, 100)).left();
    ASSERT_EQ(inset, 55); // (200 - 100) / 2 + 5
    EXPECT_GE(textLeft(false, "Circle"), int(inset));
    EXPECT_LT(textLeft(false, "Rectangle"), 10);
    // The clip: unchecked the whole rectangle, checked the circle.
    for (const bool checked : {false, true}) {
        auto image = Showing(opaque, {200, 100});
        auto* mask = Own<TRPropMask>(*image, ptMask);
        mask->SetUseCheckBox(true);
        mask->SetChecked(checked);
        mask->FShapeName = "Circle";
        image->UpdateBitmap();
        EXPECT_EQ(PixelOf(*image->FBitmap, 1, 1), checked ? 0u : 0xFF0000FFu);
        EXPECT_EQ(PixelOf(*image->FBitmap, 100, 50), 0xFF0000FFu);
    }
}

namespace {

// A cursor track with one 4 x 4 pointer (hot spot (1, 1)) stored with 8 bytes of padding per
// row: the left half red at half opacity (straight alpha), the right half opaque blue, the
// padding opaque green; and `samples` samples at (10, 5).
QByteArray Track(int samples) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 width = 4, height = 4, pitch = width * 4 + 8;
    out << qint32(1) << quint32(0) << width << height << pitch << qint32(1) << qint32(1)
        << quint32(pitch * height);
    for (quint32 y = 0; y < height; ++y) {
        for (quint32 x = 0; x < width; ++x)
            out << (x < 2 ? quint32(0x80FF0000) : quint32(0xFF0000FF));
        out << quint32(0xFF00FF00) << quint32(0xFF00FF00);
    }
    out << qint32(samples);
    for (int i = 0; i < samples; ++i)
        out << qint32(i * 100) << qint32(10) << qint32(5) << quint32(0) << qint32(0);
    return data;
}

class Recording : public TRImage {
public:
    using TRImage::TRImage;
    void CreateCursorBitmap(int width, int height) override {
        if (width > 0 && height > 0)
            FCursorBitmap = Bitmap::create({uint32_t(width), uint32_t(height)});
    }
};

} // namespace

TEST_F(ImageChain, ThePointerSitsAtItsHotSpotScaledByTheCursorGroup) {
    const QImage black = Picture(40, 20, [](int, int) { return qRgb(0, 0, 0); });
    auto image = Make<Recording>(otScreenRecorder);
    Place(*image, {40, 20});
    image->GetProperty(ptBackgroundBorder, true)->SetChecked(false);
    image->FMediaBitmap = Bitmap::fromImage(black);
    auto* cursor = Own<TRPropCursor>(*image, ptCursor);
    cursor->SetChecked(true);
    cursor->FScaleCursor = 200;
    image->CursorReader = std::make_unique<TCursorReader>();
    ASSERT_TRUE(image->CursorReader->Load(Track(2)));
    image->UpdateBitmap();
    // k = 2: the 4 x 4 pointer covers (8, 3)..(16, 11); its hot spot (1, 1) lands on (10, 5).
    // Red at half opacity over black, premultiplied: (128, 0, 0).
    for (int y = 4; y <= 9; ++y) {
        EXPECT_TRUE(Near(PixelOf(*image->FBitmap, 9, y), 0xFF800000u, 3)) << "row " << y;
        EXPECT_TRUE(Near(PixelOf(*image->FBitmap, 14, y), 0xFF0000FFu, 3)) << "row " << y;
    }
    EXPECT_EQ(PixelOf(*image->FBitmap, 6, 5), 0xFF000000u);
    EXPECT_EQ(PixelOf(*image->FBitmap, 18, 5), 0xFF000000u);
    // Without samples no pointer is drawn.
    ASSERT_TRUE(image->CursorReader->Load(Track(0)));
    image->UpdateBitmap();
    EXPECT_EQ(PixelOf(*image->FBitmap, 9, 5), 0xFF000000u);
    EXPECT_EQ(PixelOf(*image->FBitmap, 14, 5), 0xFF000000u);
}
