// Scene compositing of the drawable kinds on a 100 x 100 scene whose origin is its centre: the
// time span, transitions only while playing or exporting, the reflection's offset beside the
// picture's whole-pixel offset, opacity applied once, the scene-side effect and the hover
// outline.
#include "core/URPropTransition.h"
#include "graphics/URDX12Base.h"
#include "graphics/URPropEffect.h"
#include "graphics/URPropReflection.h"
#include "objects/kinds/URImage.h"
#include "tests/objects/kinds/KindsTestSupport.h"

using namespace platform::render;

namespace {

class Compositing : public KindsTest {
protected:
    void SetUp() override {
        KindsTest::SetUp();
        savedTransition_ = TransitionDrawHook;
        // A transition that shows the object at half opacity.
        TransitionDrawHook = [](const TRPropTransition&, TRPropertyType, float,
                                const TRTransitionInput&,
                                TRTransitionStep& step) { step.Opacity = 0.5f; };
    }
    void TearDown() override {
        TransitionDrawHook = savedTransition_;
        KindsTest::TearDown();
    }

    // A red picture object of w x h at the scene's centre, shown from 1000 to 3000 ms, without
    // border, shadow or reflection.
    std::unique_ptr<TRImage> Red(int w, int h) {
        auto image = Make<TRImage>(otImage);
        image->SetTimeStartField(1000);
        Place(*image, QSizeF(w, h));
        for (TRPropertyType off : {ptBackgroundBorder, ptShadow, ptReflection})
            image->GetProperty(off, true)->SetChecked(false);
        image->FMediaBitmap =
            Bitmap::fromImage(Picture(w, h, [](int, int) { return qRgb(255, 0, 0); }));
        return image;
    }

    // The scene after painting `object` at `time`.
    QImage Paint(TRObject& object, std::int32_t time, bool mouseOver = false) {
        object.SetTimePosition(time);
        const BitmapPtr target =
            Bitmap::create({100, 100}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->clear({0, 0, 0, 0});
        D2DContext->setTransform(Matrix3x2::translation(50, 50));
        object.PaintOnScene(mouseOver, true);
        EXPECT_EQ(D2DContext->transform(), Matrix3x2::translation(50, 50));
        EXPECT_TRUE(D2DContext->endDraw());
        D2DContext->setTarget(nullptr);
        return target->image();
    }

    TRTransitionDrawFn savedTransition_ = nullptr;
};

uint8_t Alpha(const QImage& scene, int x, int y) {
    return uint8_t(qAlpha(scene.pixel(x, y)));
}

} // namespace

TEST_F(Compositing, AnObjectIsShownFromItsStartToItsEndInclusive) {
    auto image = Red(20, 10);
    EXPECT_EQ(Alpha(Paint(*image, 3000), 50, 50), 255);
    EXPECT_EQ(Alpha(Paint(*image, 1000), 50, 50), 255);
    EXPECT_EQ(Alpha(Paint(*image, 999), 50, 50), 0);
    EXPECT_EQ(Alpha(Paint(*image, 3001), 50, 50), 0);
}

TEST_F(Compositing, TransitionsOnlyWhilePlayingOrExporting) {
    auto image = Red(20, 10);
    image->TrIn()->SetChecked(true);
    image->TrIn()->FDuration = 500;
    EXPECT_EQ(Alpha(Paint(*image, 1100), 50, 50), 255); // paused editor
    SetScenePlaying(true);
    EXPECT_NEAR(Alpha(Paint(*image, 1100), 50, 50), 128, 1);
    EXPECT_EQ(Alpha(Paint(*image, 1600), 50, 50), 255); // after the transition
    SetScenePlaying(false);
    project_->Exporting = true;
    EXPECT_NEAR(Alpha(Paint(*image, 1100), 50, 50), 128, 1);
}

TEST_F(Compositing, OpacityIsAppliedOnce) {
    auto image = Red(20, 10);
    Own<TRPropPlacement>(*image, ptPlacement)->FOpacity = 0.5f;
    EXPECT_NEAR(Alpha(Paint(*image, 1500), 50, 50), 128, 1);
    // With a fading transition the product: 0.5 x 0.5.
    image->TrIn()->SetChecked(true);
    SetScenePlaying(true);
    EXPECT_NEAR(Alpha(Paint(*image, 1100), 50, 50), 64, 1);
}

TEST_F(Compositing, ThePictureSitsOnWholePixelsAndItsReflectionAtHalfThem) {
    // 21 x 11: the picture at (-10, -5), so columns 40..60 of the scene; its reflection at
    // (-10.5, -5.5), half a pixel further left and up.
    auto image = Red(21, 11);
    auto* reflection = Own<TRPropReflection>(*image, ptReflection);
    reflection->SetChecked(true);
    reflection->FOpacity = 1;
    const QImage scene = Paint(*image, 1500);
    EXPECT_EQ(scene.pixel(40, 50), 0xFFFF0000u);
    EXPECT_EQ(scene.pixel(60, 50), 0xFFFF0000u);
    EXPECT_EQ(Alpha(scene, 39, 50), 0);
    EXPECT_EQ(Alpha(scene, 61, 50), 0);
    // The reflection as drawn at (-10.5, -5.5) alone.
    image->UpdateBitmap();
    const ImagePtr alone =
        reflection->ComputeReflection(image->FBitmap, 0, 1, 21, 11, TRReflectionPlacement{});
    const BitmapPtr expected =
        Bitmap::create({100, 100}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    D2DContext->setTarget(expected);
    D2DContext->setTransform({});
    D2DContext->beginDraw();
    D2DContext->clear({0, 0, 0, 0});
    D2DContext->drawImage(*alone, {50 - 10.5f, 50 - 5.5f}, {}, Interpolation::Cubic);
    ASSERT_TRUE(D2DContext->endDraw());
    int compared = 0;
    for (int y = 56; y < 100; ++y)
        for (int x = 30; x < 70; ++x)
            if (qAlpha(expected->image().pixel(x, y)) > 0) {
                ++compared;
                EXPECT_TRUE(Near(scene.pixel(x, y), expected->image().pixel(x, y), 1))
                    << x << ", " << y;
            }
    EXPECT_GT(compared, 20);
}

TEST_F(Compositing, APlainBlurActsOnTheScene) {
    auto image = Red(20, 10);
    auto* effect = Own<TRPropEffect>(*image, ptEffect);
    effect->SetChecked(true);
    effect->FEffectName = "Gaussian Blur";
    const QImage scene = Paint(*image, 1500);
    // The picture's edge is soft on the scene though its bitmap is not.
    EXPECT_EQ(PixelOf(*image->FBitmap, 0, 5), 0xFFFF0000u);
    EXPECT_GT(Alpha(scene, 39, 50), 0);
    EXPECT_LT(Alpha(scene, 40, 50), 255);
}

TEST_F(Compositing, TheHoverOutlineIsDrawnAlone) {
    auto image = Red(20, 10);
    const QImage scene = Paint(*image, 1500, true);
    EXPECT_EQ(Alpha(scene, 50, 50), 0);
    // Two pixels outside the picture's left edge (x = 40): the outline at x = 38.
    EXPECT_GT(Alpha(scene, 37, 50) + Alpha(scene, 38, 50), 0);
}
