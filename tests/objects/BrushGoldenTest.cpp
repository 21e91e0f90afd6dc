// Golden images of the brush groups at work, made once with TAVRIN_UPDATE_GOLDEN=1 and looked
// at: a dashed gradient border over an object at blur 0 and 4, and text filled with a linear
// gradient, a radial gradient and another object's picture, outlined and underlined. Key
// pixels worked out by hand are checked as well.

#include "core/URProject.h"
#include "core/URSettings.h"
#include "graphics/URDX12Base.h"
#include "objects/URObjectText.h"
#include "objects/URObjectsRegistry.h"
#include "objects/URPropBackgroundBorder.h"
#include "objects/URPropText.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"

#include <gtest/gtest.h>

using namespace platform::render;

namespace {

QString Folder() {
    return QString::fromUtf8(kTestsSourceDir) + "/objects/golden";
}

class BrushGolden : public testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(SettingsRecord);
        RegisterEngineKinds();
        InitDX();
    }
    void TearDown() override { D2DContext->setTarget(nullptr); }

    // Runs `draw` on a fresh target of the size over opaque grey and returns the pixels.
    QImage Draw(int width, int height, const std::function<void()>& draw) {
        const BitmapPtr target = Bitmap::create({std::uint32_t(width), std::uint32_t(height)},
                                                {.options = BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->clear({0.25f, 0.25f, 0.25f, 1});
        draw();
        EXPECT_TRUE(D2DContext->endDraw());
        D2DContext->setTarget(nullptr);
        return target->image().convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(BrushGolden, BorderSharpAndBlurred) {
    // The object: 60 x 40 opaque blue; its bitmap and the border's have a margin of 8 (the
    // thickness), so the object sits at (8, 8) in 76 x 56 pictures.
    BitmapPtr object = Bitmap::create({76, 56}, {.options = BitmapOptions::Target});
    D2DContext->setTarget(object);
    D2DContext->beginDraw();
    D2DContext->clear({0, 0, 0, 0});
    D2DContext->fillRectangle(RectF::fromXYWH(8, 8, 60, 40), *SolidBrush(Qt::blue, 1));
    D2DContext->endDraw();
    TRPropBackgroundBorder border;
    border.SetChecked(true);
    border.FThickness = 8;
    border.FDashStyle = 1;
    border.FBrushStyle = brsGradientLinear;
    border.FRotation = 90;
    BitmapPtr stroke = Bitmap::create({76, 56}, {.options = BitmapOptions::Target});
    D2DContext->setTarget(stroke);
    D2DContext->beginDraw();
    D2DContext->clear({0, 0, 0, 0});
    D2DContext->setTransform(Matrix3x2::translation(8, 8));
    D2DContext->drawGeometry(*Geometry::rectangle(RectF::fromXYWH(0, 0, 60, 40)),
                             *border.Brush(60, 40, false), border.FThickness,
                             border.GetStrokeStyle().get());
    D2DContext->setTransform({});
    D2DContext->endDraw();

    QRgb dash[2] = {};
    for (float blur : {0.0f, 4.0f}) {
        border.FBlur = blur;
        const QImage image = Draw(96, 76, [&] {
            const ImagePtr drawn = border.DrawBlurAndComposite(object, stroke);
            D2DContext->drawImage(*drawn, PointF{10, 10});
        });
        // Inside the object and away from the border: blue either way.
        EXPECT_EQ(image.pixel(10 + 38, 10 + 28), qRgb(0, 0, 255)) << blur;
        // The first dash runs from the top-left corner along the top edge; 6 px in, the
        // left-to-right gradient is at 0.1: 0.9 x $A1A100 (red 0, green 161, blue 161) plus
        // 0.1 x white.
        dash[blur != 0] = image.pixel(10 + 8 + 6, 10 + 8);
        ExpectGolden(image, Folder(), QString("border_blur_%1.png").arg(int(blur)));
    }
    EXPECT_NEAR(qRed(dash[0]), 26, 3);
    EXPECT_NEAR(qGreen(dash[0]), 170, 3);
    EXPECT_NEAR(qBlue(dash[0]), 170, 3);
    EXPECT_NE(dash[1], dash[0]) << "blurred, the dash mixes with the background";
}

TEST_F(BrushGolden, TextWithGradientAndPictureFills) {
    TRProject project;
    TRObject* picture = project.AddObjectOfType(otImage);
    ASSERT_NE(picture, nullptr);
    // A 4 x 4 checker of yellow and magenta.
    picture->FMediaBitmap = Bitmap::create({4, 4}, {});
    std::uint32_t pixels[16];
    for (int i = 0; i < 16; ++i)
        pixels[i] = ((i / 4 + i % 4) / 2) % 2 ? 0xFFFFFF00 : 0xFFFF00FF;
    picture->FMediaBitmap->copyFromMemory(pixels, 16);
    TRObject* object = project.AddObjectOfType(otText);
    ASSERT_NE(object, nullptr);
    auto* text = object->Get<TRPropText>(ptText);
    text->SetChecked(true);
    text->FText = "Tavrin";
    text->FFontName = "DejaVu Sans";
    text->FBold = true;
    text->FFontSize = 40;
    text->FOutlineSize = 2;
    text->FOutlineColor = 0xFFFFFF;
    text->FUnderline = true;
    text->FColors.SetColor(0, 0x0000FF, 0, 1);
    text->FColors.SetColor(1, 0xFF0000, 1, 1);
    text->SetMediaSource(otImage, picture->ObjectId());
    const struct {
        TRBrushStyle style;
        const char* name;
    } fills[] = {{brsGradientLinear, "text_linear.png"},
                 {brsGradientRadial, "text_radial.png"},
                 {brsMediaLibrary, "text_picture.png"}};
    for (const auto& fill : fills) {
        text->FBrushStyle = fill.style;
        const QImage image =
            Draw(200, 80, [&] { DrawObjectText(*object, RectF::fromXYWH(0, 0, 200, 80)); });
        // The background stays grey in the corners.
        EXPECT_NEAR(qRed(image.pixel(1, 1)), 64, 1) << fill.name;
        ExpectGolden(image, Folder(), QString::fromLatin1(fill.name));
    }
}

} // namespace
