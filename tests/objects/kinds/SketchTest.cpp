// The sketch object: its progress over time (held to 0..1, never dividing by a zero draw time
// or cycle), the outline complete in an idle editor, nothing for an unchecked group or a
// stroke of 0, the four corner brackets growing together or one after another, an overshooting
// curve still drawing the whole outline, and the group's flip and blur on the scene.
#include "core/UREasing.h"
#include "core/URPropTransition.h"
#include "objects/URPropShape.h"
#include "objects/URPropSketch.h"
#include "objects/kinds/URShape.h"
#include "objects/kinds/URSketch.h"
#include "tests/objects/kinds/KindsTestSupport.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/SourcePaths.h"

#include <cmath>
#include <limits>

using namespace platform::render;

namespace {

TEST(SketchProgress, FollowsTheTimingRules) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        TRSketchTiming timing;
        std::int32_t t, length;
        double p;
    } cases[] = {
        // Drawn once: a quarter at 250 ms, complete from the draw time on.
        {{1000, 500, false, false}, 250, 3000, 0.25},
        {{1000, 500, false, false}, 999, 3000, 0.999},
        {{1000, 500, false, false}, 1000, 3000, 1},
        {{1000, 500, false, false}, 2900, 3000, 1},
        // Looping: cycles of 1500 ms, complete during the pause.
        {{1000, 500, true, false}, 1200, 7000, 1},
        {{1000, 500, true, false}, 1600, 7000, 0.1},
        // Looping back and forth over 7000 ms: two cycles of 3000 ms, then 1000 ms left that
        // draws on to half the outline and off again.
        {{1000, 500, true, true}, 500, 7000, 0.5},
        {{1000, 500, true, true}, 1200, 7000, 1},
        {{1000, 500, true, true}, 2000, 7000, 0.5},
        {{1000, 500, true, true}, 2200, 7000, 0.3},
        {{1000, 500, true, true}, 2600, 7000, 0},
        {{1000, 500, true, true}, 3100, 7000, 0.1},
        {{1000, 500, true, true}, 6250, 7000, 0.25},
        {{1000, 500, true, true}, 6500, 7000, 0.5},
        {{1000, 500, true, true}, 6750, 7000, 0.25},
        {{1000, 500, true, true}, 7000, 7000, 0},
        // Drawn on and off without looping: between the ramps the outline stays complete
        // instead of asking for 2.5 outlines.
        {{1000, 0, false, true}, 500, 5000, 0.5},
        {{1000, 0, false, true}, 2500, 5000, 1},
        {{1000, 0, false, true}, 4500, 5000, 0.5},
        {{1000, 0, false, true}, 5000, 5000, 0},
        // A draw time of 0 or less (or not a number) shows the complete outline.
        {{0, 500, false, false}, 0, 3000, 1},
        {{0, 500, true, true}, 1200, 3000, 1},
        {{-100, 500, true, false}, 1200, 3000, 1},
        {{nan, 500, false, true}, 1200, 3000, 1},
        // Cycles that round to 0 ms or less, or are not a number, never divide.
        {{0.3f, 0, true, false}, 1200, 3000, 1},
        {{0.2f, 0, true, true}, 1200, 3000, 1},
        {{100, -200, true, false}, 1200, 3000, 1},
        {{100, nan, true, true}, 1200, 3000, 1},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(SketchProgress(c.timing, c.t, c.length), c.p, 1e-9)
            << "D " << c.timing.DrawTime << " P " << c.timing.PauseTime << " loop " << c.timing.Loop
            << " revert " << c.timing.Revert << " t " << c.t;
}

class Sketch : public KindsTest {
protected:
    // The four corner brackets of a 200 x 100 box with arms of 25 px (each bracket 50 px
    // long), stroked 10 px wide in white, drawn once in 1000 ms; no shadow or reflection.
    std::unique_ptr<TRSketch> Brackets(bool parallel) {
        auto sketch = Make<TRSketch>(otSketch);
        Place(*sketch, {200, 100});
        for (TRPropertyType off : {ptShadow, ptReflection})
            sketch->GetProperty(off, true)->SetChecked(false);
        auto* group = Own<TRPropSketch>(*sketch, ptSketch);
        group->FShapeName = QStringLiteral("Rectangle CB");
        group->FRoundness = 0.25f;
        group->FThickness = 10;
        group->FDrawTime = 1000;
        group->FParallel = parallel;
        return sketch;
    }

    static QImage Drawn(TRSketch& sketch, std::int32_t time) {
        sketch.SetTimePosition(time);
        sketch.UpdateBitmap();
        return sketch.FBitmap ? sketch.FBitmap->image() : QImage();
    }

    // The scene of 240 x 140 (or `size`; origin at its centre) after painting `object` at
    // `time`; a pixel (x, y) of the bitmap of the brackets at the centre lands on (x + 10, y + 10).
    static QImage Scene(TRObject& object, std::int32_t time, SizeU size = {240, 140}) {
        object.SetTimePosition(time);
        const BitmapPtr target =
            Bitmap::create(size, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
        D2DContext->setTarget(target);
        D2DContext->beginDraw();
        D2DContext->clear({0, 0, 0, 0});
        D2DContext->setTransform(
            Matrix3x2::translation(float(size.width / 2), float(size.height / 2)));
        object.PaintOnScene(false, true);
        EXPECT_TRUE(D2DContext->endDraw());
        D2DContext->setTarget(nullptr);
        return target->image();
    }

    static bool Empty(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) != 0)
                    return false;
        return true;
    }
};

// In the bitmap the box runs from (10, 10) to (210, 110). The brackets start at the end of one
// arm: top left at (10, 35) going up, top right at (185, 10) going right, bottom right at
// (210, 85) going down, bottom left at (35, 110) going left. Each point lies 10 px along an arm
// from its corner; the round caps reach 5 px past a dash's end.
struct Arm {
    int x, y;
};
constexpr Arm TopLeftFirst{10, 25}, TopLeftSecond{25, 10};
constexpr Arm TopRightFirst{195, 10}, TopRightSecond{210, 25};
constexpr Arm BottomRightFirst{210, 95}, BottomRightSecond{195, 110};
constexpr Arm BottomLeftFirst{25, 110}, BottomLeftSecond{10, 95};

void ExpectArms(const QImage& image, std::initializer_list<Arm> drawn,
                std::initializer_list<Arm> empty) {
    for (const Arm& a : drawn)
        EXPECT_EQ(image.pixel(a.x, a.y), 0xFFFFFFFFu) << a.x << ", " << a.y;
    for (const Arm& a : empty)
        EXPECT_EQ(qAlpha(image.pixel(a.x, a.y)), 0) << a.x << ", " << a.y;
}

} // namespace

TEST_F(Sketch, NewSketch) {
    auto sketch = Make<TRSketch>(otSketch);
    EXPECT_EQ(sketch->ObjectName(), "Sketch " + QString::number(sketch->ObjectId()));
    EXPECT_FALSE(sketch->TrIn()->Checked());
    EXPECT_EQ(Own<TRPropSketch>(*sketch, ptSketch)->FShapeName, "Check");
}

TEST_F(Sketch, BracketsGrowTogetherInParallel) {
    SetScenePlaying(true);
    auto sketch = Brackets(true);
    // 40 % of the drawing: 20 px of every bracket, all of them along their first arm.
    const QImage image = Drawn(*sketch, 400);
    ASSERT_EQ(image.size(), QSize(220, 120));
    ExpectArms(image, {TopLeftFirst, TopRightFirst, BottomRightFirst, BottomLeftFirst},
               {TopLeftSecond, TopRightSecond, BottomRightSecond, BottomLeftSecond});
    ExpectGolden(image, QString::fromUtf8(kTestsSourceDir) + "/objects/kinds/golden",
                 "sketch_parallel.png");
}

TEST_F(Sketch, BracketsFollowOneAnotherInSequence) {
    SetScenePlaying(true);
    auto sketch = Brackets(false);
    // 40 % of the 200 px: the top left bracket whole, then 30 px of the top right one (its
    // first arm and 5 px of its second).
    const QImage image = Drawn(*sketch, 400);
    ExpectArms(
        image, {TopLeftFirst, TopLeftSecond, TopRightFirst},
        {TopRightSecond, BottomRightFirst, BottomRightSecond, BottomLeftFirst, BottomLeftSecond});
    ExpectGolden(image, QString::fromUtf8(kTestsSourceDir) + "/objects/kinds/golden",
                 "sketch_sequential.png");
}

TEST_F(Sketch, CompleteOutlineWhenIdleOrWithoutADrawTime) {
    const std::initializer_list<Arm> all = {TopLeftFirst,    TopLeftSecond,    TopRightFirst,
                                            TopRightSecond,  BottomRightFirst, BottomRightSecond,
                                            BottomLeftFirst, BottomLeftSecond};
    for (bool parallel : {false, true}) {
        auto sketch = Brackets(parallel);
        // An editor standing still shows everything at any time.
        ExpectArms(Drawn(*sketch, 100), all, {});
        SetScenePlaying(true);
        EXPECT_TRUE(Empty(Drawn(*sketch, 0))) << "nothing is drawn at the start";
        Own<TRPropSketch>(*sketch, ptSketch)->FDrawTime = 0;
        ExpectArms(Drawn(*sketch, 100), all, {});
        SetScenePlaying(false);
    }
}

TEST_F(Sketch, UncheckedOrWithoutThicknessDrawsNothing) {
    SetScenePlaying(true);
    auto sketch = Brackets(false);
    auto* group = Own<TRPropSketch>(*sketch, ptSketch);
    group->FThickness = 0;
    const QImage thin = Drawn(*sketch, 2000);
    EXPECT_EQ(thin.size(), QSize(200, 100));
    EXPECT_TRUE(Empty(thin));
    group->FThickness = 10;
    // A group written by a version that could switch it off.
    group->SetUseCheckBox(true);
    group->SetChecked(false);
    const QImage off = Drawn(*sketch, 2000);
    EXPECT_EQ(off.size(), QSize(200, 100));
    EXPECT_TRUE(Empty(off));
}

TEST_F(Sketch, OvershootingCurveStillDrawsTheWholeOutline) {
    SetScenePlaying(true);
    auto sketch = Brackets(false);
    auto* group = Own<TRPropSketch>(*sketch, ptSketch);
    group->FShapeName = QStringLiteral("Rectangle");
    group->FRoundness = 0;
    group->FThickness = 4;
    group->FEase = ecBackOut;
    // At 60 % the curve stands at about 1.1: more than the 600 px of the box's outline.
    ASSERT_GT(Ease(0.6, ecBackOut, 0, 1), 1.05);
    const QImage image = Drawn(*sketch, 600);
    // The middles of the four sides of the box from (4, 4) to (204, 104).
    for (const Arm& side : {Arm{104, 4}, Arm{204, 54}, Arm{104, 104}, Arm{4, 54}})
        EXPECT_EQ(image.pixel(side.x, side.y), 0xFFFFFFFFu) << side.x << ", " << side.y;
}

TEST_F(Sketch, FlipAndBlurOnTheScene) {
    SetScenePlaying(true);
    auto sketch = Brackets(false);
    auto* group = Own<TRPropSketch>(*sketch, ptSketch);
    group->FFlipH = true;
    // Mirrored left-right: the whole top left bracket shows at the top right, and the part of
    // the top right one at the top left.
    QImage scene = Scene(*sketch, 400);
    const auto mirrored = [](Arm a) { return Arm{219 - a.x + 10, a.y + 10}; };
    for (const Arm& a : {TopLeftFirst, TopLeftSecond, TopRightFirst})
        EXPECT_GT(qAlpha(scene.pixel(mirrored(a).x, mirrored(a).y)), 240) << a.x << ", " << a.y;
    for (const Arm& a : {TopRightSecond, BottomRightFirst, BottomLeftFirst})
        EXPECT_LT(qAlpha(scene.pixel(mirrored(a).x, mirrored(a).y)), 16) << a.x << ", " << a.y;
    // The stroke along the (mirrored) left arm covers x 5..15 of the bitmap; 4 px past its
    // edge nothing shows until the blur spreads it.
    const Arm outside = mirrored({19, 25});
    EXPECT_EQ(qAlpha(scene.pixel(outside.x, outside.y)), 0);
    group->FBlur = 4;
    scene = Scene(*sketch, 400);
    EXPECT_GT(qAlpha(scene.pixel(outside.x, outside.y)), 20);
    EXPECT_LT(qAlpha(scene.pixel(outside.x, outside.y)), 200);
}

// The sketch's shadow turns with the object (a positive Z rotation turns clockwise on screen),
// keeping its place beside the object's own right side; a shape's stays to the screen's right.
TEST_F(Sketch, ShadowTurnsWithTheObject) {
    // A square outline of 100 x 100 stroked 10 px wide, at the centre of a 240 x 240 scene: its
    // sides' strokes cover 65..75 and 165..175; their shadows lie 30 px further along.
    auto sketch = Make<TRSketch>(otSketch);
    Place(*sketch, {100, 100});
    sketch->GetProperty(ptReflection, true)->SetChecked(false);
    auto* group = Own<TRPropSketch>(*sketch, ptSketch);
    group->FShapeName = QStringLiteral("Rectangle");
    group->FRoundness = 0;
    group->FThickness = 10;
    HardShadow(*sketch, 0x0000FF, 30, -90); // red, to the right when upright
    // 80 px from the centre: the middle of the shadow of the side facing that way.
    const Arm right{200, 120}, down{120, 200}, left{40, 120}, up{120, 40};
    const struct {
        float rotation;
        Arm shadowed;
    } cases[] = {{0, right}, {90, down}, {-90, up}, {180, left}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.rotation);
        Own<TRPropPlacement>(*sketch, ptPlacement)->FRotationZ = c.rotation;
        const QImage scene = Scene(*sketch, 100, {240, 240});
        for (const Arm& a : {right, down, left, up})
            if (a.x == c.shadowed.x && a.y == c.shadowed.y)
                EXPECT_TRUE(Near(scene.pixel(a.x, a.y), 0xFFFF0000)) << a.x << ", " << a.y;
            else
                EXPECT_EQ(qAlpha(scene.pixel(a.x, a.y)), 0) << a.x << ", " << a.y;
        // The outline itself lies over its shadow.
        EXPECT_EQ(scene.pixel(170, 120), 0xFFFFFFFFu);
        EXPECT_EQ(scene.pixel(120, 170), 0xFFFFFFFFu);
    }
    // A filled square of the same size turned a quarter: its shadow, 100..200 wide, still
    // falls to the right of the screen, and none below the square's bottom at 170.
    auto shape = Make<TRShape>(otShape);
    Place(*shape, {100, 100});
    for (TRPropertyType off : {ptBackgroundBorder, ptReflection})
        shape->GetProperty(off, true)->SetChecked(false);
    auto* outline = Own<TRPropShape>(*shape, ptShape);
    outline->FShapeName = QStringLiteral("Rectangle");
    outline->FRoundness = 0;
    HardShadow(*shape, 0x0000FF, 30, -90);
    Own<TRPropPlacement>(*shape, ptPlacement)->FRotationZ = 90;
    const QImage scene = Scene(*shape, 100, {240, 240});
    EXPECT_TRUE(Near(scene.pixel(185, 120), 0xFFFF0000));
    EXPECT_EQ(qAlpha(scene.pixel(120, 185)), 0);
}
