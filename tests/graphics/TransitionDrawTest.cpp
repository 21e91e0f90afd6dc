// Drawing the transition groups: every kind on a small picture at the start, the middle and
// the end of its transition, the side that mirrors it, and the transform of the Custom kinds.
#include "core/URPropTransition.h"
#include "core/URScenePaint.h"
#include "graphics/URCustomEffects.h"
#include "graphics/URTransitionDraw.h"
#include "platform/render/DeviceContext.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace effectstest;

namespace {

DeviceContext*& Context() {
    static DeviceContext* context = nullptr;
    return context;
}

// A 16x16 picture: red on the left half, blue on the right.
BitmapPtr Picture() {
    return bitmapFrom(16, 16,
                      [](int x, int) { return x < 8 ? opaque(255, 0, 0) : opaque(0, 0, 255); });
}

const uint32_t Red = opaque(255, 0, 0);
const uint32_t Blue = opaque(0, 0, 255);
const uint32_t Clear = 0;

class TransitionDraw : public ::testing::Test {
protected:
    void SetUp() override {
        const FactoryPtr factory = Factory::create();
        for (const TRCustomEffectRegistration& r : CustomEffectRegistrations(factory))
            r.registerEffect();
        context_ = DeviceContext::create(factory);
        Context() = context_.get();
        SceneContextHook = [] { return Context(); };
    }
    void TearDown() override {
        SceneContextHook = nullptr;
        Context() = nullptr;
        TransitionDrawHook = nullptr;
    }

    // The group of `name` drawn for `side` at `position` on the `size` x `size` picture
    // centred on a scene four times as large.
    TRTransitionStep Draw(TRPropTransition& group, const QString& name, TRPropertyType side,
                          float position, float size = 16) {
        group.FName = name;
        TRTransitionStep step;
        DrawTransition(group, side, position, {picture_, 0, 0, size, size, 4 * size, 4 * size},
                       step);
        return step;
    }

    static uint32_t At(const TRTransitionStep& step, int x, int y) {
        return step.Output->render(RectL{x, y, x + 1, y + 1}).pixelAt(x, y);
    }

    DeviceContextPtr context_;
    BitmapPtr picture_ = Picture();
};

} // namespace

TEST_F(TransitionDraw, EveryKindShowsThePictureUndisturbedAtTheEndOfComingIn) {
    for (const TRTransitionKind& kind : TransitionKinds) {
        SCOPED_TRACE(kind.Name);
        for (TRPropertyType side : {ptTrIn, ptTrOut}) {
            TRPropTransitionIn group;
            group.FBorderSize = 0;
            // Coming in ends at progress 1; going out starts at progress 0.
            const TRTransitionStep step =
                Draw(group, kind.Name, side, side == ptTrIn ? 1.0f : 0.0f);
            EXPECT_FLOAT_EQ(step.Opacity, 1);
            EXPECT_FLOAT_EQ(step.Rotation, 0);
            EXPECT_EQ(step.Transform, Matrix3x2::identity());
            for (const auto& [x, y, colour] :
                 {std::tuple{0, 8, Red}, {15, 8, Blue}, {0, 0, Red}, {15, 15, Blue}})
                EXPECT_TRUE(near(At(step, x, y), colour, 3)) << hex(At(step, x, y)).toStdString();
        }
    }
}

TEST_F(TransitionDraw, MasksAtStartMiddleAndEnd) {
    // Key pixels of the picture coming in: the edges' middles (0, 8) red and (15, 8) blue,
    // the corners (0, 0) and (15, 15), and (5, 8) near the centre (8, 8).
    struct Case {
        const char* name;
        int direction;
        float position;
        uint32_t left, right, topLeft, bottomRight, inner;
    };
    const Case cases[] = {
        // A circle about (8, 8): radius 0, then half the corner distance (5.66 px: (5.5, 8.5)
        // inside at 2.55, the edges' middles outside at 7.5), then every corner.
        {"Circle Open", 1, 0, Clear, Clear, Clear, Clear, Clear},
        {"Circle Open", 1, 0.5f, Clear, Clear, Clear, Clear, Red},
        {"Circle Open", 1, 1, Red, Blue, Red, Blue, Red},
        // Inverted: the picture outside a circle shrinking from the corners onto the centre.
        {"Circle Close", 1, 0, Clear, Clear, Clear, Clear, Clear},
        {"Circle Close", 1, 0.5f, Red, Blue, Red, Blue, Clear},
        // Half-size rectangle (4, 4)..(12, 12), shown or, for Close, hidden.
        {"Rectangle Open", 1, 0.5f, Clear, Clear, Clear, Clear, Red},
        {"Rectangle Close", 1, 0.5f, Red, Blue, Red, Blue, Clear},
        // Reveal moving right uncovers the left part first; left the right part; down the
        // top part; up the bottom part.
        {"Reveal", 4, 0, Clear, Clear, Clear, Clear, Clear},
        {"Reveal", 4, 0.5f, Red, Clear, Red, Clear, Red},
        {"Reveal", 1, 0.5f, Clear, Blue, Clear, Blue, Clear},
        {"Reveal", 2, 0.5f, Clear, Clear, Red, Clear, Clear},
        {"Reveal", 3, 0.5f, Red, Blue, Clear, Blue, Red},
        // Slide from the right: half way, the red half stands on the right half.
        {"Slide", 1, 0, Clear, Clear, Clear, Clear, Clear},
        {"Slide", 1, 0.5f, Clear, Red, Clear, Red, Clear},
        {"Slide", 4, 0.5f, Blue, Clear, Blue, Clear, Blue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.direction) + " " +
                     std::to_string(c.position));
        TRPropTransitionIn group;
        group.FBorderSize = 0;
        group.FDirection = c.direction;
        const TRTransitionStep step = Draw(group, c.name, ptTrIn, c.position);
        for (const auto& [x, y, colour] : {std::tuple{0, 8, c.left},
                                           {15, 8, c.right},
                                           {0, 0, c.topLeft},
                                           {15, 15, c.bottomRight},
                                           {5, 8, c.inner}})
            EXPECT_TRUE(near(At(step, x, y), colour, 3))
                << x << "," << y << ": " << hex(At(step, x, y)).toStdString();
    }
}

TEST_F(TransitionDraw, GoingOutRunsTheKindBackwardsWithTheMirroredDirection) {
    TRPropTransitionOut group;
    group.FBorderSize = 0;
    group.FDirection = 4;
    // Leaving to the right: at a quarter the visible part is the right three quarters.
    const TRTransitionStep wipe = Draw(group, "Wipe", ptTrOut, 0.25f);
    EXPECT_TRUE(near(At(wipe, 0, 8), Clear, 3));
    EXPECT_TRUE(near(At(wipe, 15, 8), Blue, 3));
    const TRTransitionStep gone = Draw(group, "Circle Open", ptTrOut, 1);
    EXPECT_TRUE(near(At(gone, 15, 8), Clear, 3));
}

TEST_F(TransitionDraw, CustomMovesScalesSpinsAndFades) {
    TRPropTransitionIn group;
    group.FMoveDirection = 1;
    group.FBorderSize = 10;
    TRTransitionStep step;
    // 1920 scene, 400 picture at the centre: 960 + 200 + 20 px to the right.
    DrawTransition(group, ptTrIn, 0, {picture_, 0, 0, 400, 100, 1920, 1080}, step);
    EXPECT_EQ(step.Transform, Matrix3x2::translation(1180, 0));
    EXPECT_FLOAT_EQ(step.Opacity, 0);
    TRPropTransitionOut out;
    out.FMoveDirection = 1;
    out.FBorderSize = 10;
    DrawTransition(out, ptTrOut, 1, {picture_, 0, 0, 400, 100, 1920, 1080}, step);
    EXPECT_EQ(step.Transform, Matrix3x2::translation(-1180, 0));

    // Linear easing: a transition out at a quarter stands at t = 0.75.
    out.FMoveDirection = 0;
    out.FScale = 3;
    out.FSpin = true;
    DrawTransition(out, ptTrOut, 0.25f, {picture_, 0, 0, 16, 16, 64, 64}, step);
    EXPECT_FLOAT_EQ(step.Opacity, 0.75f);
    EXPECT_FLOAT_EQ(step.Rotation, -90);
    EXPECT_EQ(step.Transform, Matrix3x2::rotation(-90) * Matrix3x2::scale(1.5f, 1.5f));
}

TEST_F(TransitionDraw, UnknownKindsNilInputAndDissolveWithoutStrengthChangeNothing) {
    for (const char* name : {"Zoom In", "Zoom Out", "custom", "Dissolve"}) {
        SCOPED_TRACE(name);
        TRPropTransitionIn group;
        group.FBorderSize = 0;
        const TRTransitionStep step = Draw(group, name, ptTrIn, 0.3f);
        EXPECT_EQ(step.Output, picture_);
        EXPECT_FLOAT_EQ(step.Opacity, 1);
        EXPECT_EQ(step.Transform, Matrix3x2::identity());
    }
    TRPropTransitionIn group;
    TRTransitionStep step;
    DrawTransition(group, ptTrIn, 0.3f, {}, step);
    EXPECT_FALSE(step.Output);
    EXPECT_FLOAT_EQ(step.Opacity, 1);
}

TEST_F(TransitionDraw, EffectKindsHalfWay) {
    // The picture coming in at progress 0.5, so every strength below is half of BorderSize.
    struct Case {
        const char* name;
        float border;
        int x, y;
        uint32_t expected;
    };
    const uint32_t Purple = opaque(128, 0, 128);
    const Case cases[] = {
        // Blocks of 16 px: the whole picture is one block, half red and half blue.
        {"Pixelate", 32, 0, 8, Purple},
        {"Pixelate", 32, 15, 15, Purple},
        // Zoom 1 / (0.5 x 50 / 50 + 1) = 2/3 about the centre (8, 8): the pixel centred at 7.5
        // shows 7.667 (a sixth of the way to the blue column 8.5), 8.5 shows 8.333.
        {"Magnify", 50, 7, 8, opaque(212, 0, 42)},
        {"Magnify", 50, 8, 8, opaque(42, 0, 212)},
        {"Magnify", 50, 2, 8, Red},
        // Genie half way into position 0.5: the top half is empty; row 12 (v = 0.781) is
        // narrowed to 0.561 around x = 8 and samples row 9 (0.5625 of the way down).
        {"Genie", 50, 8, 4, Clear},
        {"Genie", 50, 2, 12, Clear},
        {"Genie", 50, 6, 12, Red},
        {"Genie", 50, 10, 12, Blue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.x) + "," + std::to_string(c.y));
        TRPropTransitionIn group;
        group.FBorderSize = c.border;
        const TRTransitionStep step = Draw(group, c.name, ptTrIn, 0.5f);
        EXPECT_TRUE(near(At(step, c.x, c.y), c.expected, 3))
            << hex(At(step, c.x, c.y)).toStdString();
    }
}

TEST_F(TransitionDraw, MaskBordersHaveTheirWidth) {
    // Half way with a solid green border of `width` px along the moving edge, outside the
    // visible part: Reveal moving right shows columns 0..7, Rectangle Open the square
    // 4..12 about the centre, Circle Open a disc of radius 5.66 about (8, 8).
    const uint32_t Green = opaque(0, 255, 0);
    struct Case {
        const char* name;
        float width;
        int lastInside, firstBorder, firstClear; // columns on row 8; -1: not checked
        uint32_t inside;
    };
    const Case cases[] = {
        {"Reveal", 1, 7, 8, 9, Red},
        {"Reveal", 3, 7, 8, 11, Red},
        {"Rectangle Open", 2, 11, 12, 14, Blue},
        {"Circle Open", 2, 12, 14, -1, Blue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.width));
        TRPropTransitionIn group;
        group.FBorderSize = c.width;
        group.FBorderType = 1;
        group.FColor = 0x00FF00;
        group.FDirection = 4;
        const TRTransitionStep step = Draw(group, c.name, ptTrIn, 0.5f);
        EXPECT_TRUE(near(At(step, c.lastInside, 8), c.inside, 3));
        const int lastBorder = c.firstClear < 0 ? c.firstBorder : c.firstClear - 1;
        for (int x = c.firstBorder; x <= lastBorder; ++x)
            EXPECT_TRUE(near(At(step, x, 8), Green, 3))
                << x << ": " << hex(At(step, x, 8)).toStdString();
        if (c.firstClear >= 0) {
            EXPECT_TRUE(near(At(step, c.firstClear, 8), Clear, 3));
        }
    }
}

TEST_F(TransitionDraw, LensKindsHalfWay) {
    // Coming in at progress 0.5 on 16x16 pictures: the lens radius is 16 (the larger side), the
    // centre (8, 8) or, moved by 1/16, the middle (8.5, 8.5) of pixel (8, 8).
    const uint32_t White = opaque(255, 255, 255), Green = opaque(0, 255, 0);
    const uint32_t Purple = opaque(128, 0, 128);
    // Quarters about (8, 8): red top left, green top right, blue bottom right, white bottom
    // left.
    const auto quarters = [=](int x, int y) {
        return y < 8 ? (x < 8 ? Red : Green) : (x < 8 ? White : Blue);
    };
    // Red rising by 16 a column: column x holds 16x, so at a position p between pixel
    // middles bilinear sampling gives 16 (p - 0.5).
    const auto ramp = [](int x, int) { return opaque(16 * x, 0, 0); };
    // Red rows above row 8, purple row 8, blue rows below.
    const auto bands = [=](int, int y) { return y < 8 ? Red : y == 8 ? Purple : Blue; };
    struct Case {
        const char* name;
        float border;
        bool pixelCentre;
        std::function<uint32_t(int, int)> picture;
        int x, y;
        uint32_t expected;
    };
    const Case cases[] = {
        // Twist (1 - 0.5) x 40 / 5 = 4 rad, faded by ((16 - d) / 16)^2; each pixel samples
        // its position turned by that angle about (8, 8).
        // (11.5, 11.5): d = 4.95, angle 4 x 0.691^2 = 1.91 rad (109 deg), from 45 to 154 deg:
        // (8 - 4.46, 8 + 2.15) = (3.54, 10.15) in the white quarter.
        {"Swirl", 40, false, quarters, 11, 11, White},
        // (4.5, 4.5): from 225 to 334 deg: (12.46, 5.85) in the green quarter.
        {"Swirl", 40, false, quarters, 4, 4, Green},
        // (15.5, 15.5): d = 10.61, angle 4 x 0.337^2 = 0.455 rad (26 deg), from 45 to 71 deg:
        // (11.45, 18.03), kept inside the picture at (11.45, 15.5): still blue.
        {"Swirl", 40, false, quarters, 15, 15, Blue},
        // Strength (1 - 0.5) x 200 / 100 = 1: each pixel averages samples spread evenly over
        // the first quarter of its way to (8.5, 8.5), so on row 8 the ramp gives the value
        // at the segment's middle.
        // (15.5, 8.5): 15.5 .. 13.75, middle 14.625: 16 x 14.125 = 226 (was 240).
        {"Radial Blur", 200, true, ramp, 15, 8, opaque(226, 0, 0)},
        // (0.5, 8.5): 0.5 .. 2.5, middle 1.5: 16 (was 0).
        {"Radial Blur", 200, true, ramp, 0, 8, opaque(16, 0, 0)},
        // Column 8 runs along the ramp's constant direction, the centre pixel stays put: 128.
        {"Radial Blur", 200, true, ramp, 8, 0, opaque(128, 0, 0)},
        {"Radial Blur", 200, true, ramp, 8, 8, opaque(128, 0, 0)},
        // Spin (1 - 0.5) x 800 / 100 = 4 rad: each pixel averages ceil(d x 0.5) + 1 samples
        // spread evenly over an arc of 4 / 8 = 0.5 rad (28.6 deg) about (8.5, 8.5) centred
        // on it.
        // (15.5, 7.5): d = 7.07 at -8.13 deg, 5 samples at -22.45, -15.29, -8.13, -0.97 and
        // 6.19 deg, rows 8.5 + 7.07 sin: 5.80, 6.64, 7.50 (red), 8.38 (0.12 red, 0.88
        // purple: 143, 0, 113) and 9.26 (0.24 purple, 0.76 blue: 30, 0, 225); the mean is
        // ((3 x 255 + 143 + 30) / 5, 0, (113 + 225) / 5) = (188, 0, 68).
        {"Spin Blur", 800, true, bands, 15, 7, opaque(188, 0, 68)},
        // (15.5, 8.5): the arc lies evenly about the purple row, red and blue balance out.
        {"Spin Blur", 800, true, bands, 15, 8, Purple},
        // (15.5, 4.5): d = 8.06 at -29.7 deg, the arc's lowest sample at -15.4 deg is on
        // row 8.5 - 2.14 = 6.36: red throughout.
        {"Spin Blur", 800, true, bands, 15, 4, Red},
        // Strength (1 - 0.5) x 100 / 100 = 0.5: a pixel at distance d from (8.5, 8.5)
        // samples at the fraction (d / 16)^0.5 of that distance.
        // (12.5, 8.5): d = 4, fraction 0.5: 10.5, 16 x 10 = 160 (was 192).
        {"Fisheye Lens", 100, true, ramp, 12, 8, opaque(160, 0, 0)},
        // (4.5, 8.5): d = 4: 6.5, 96 (was 64).
        {"Fisheye Lens", 100, true, ramp, 4, 8, opaque(96, 0, 0)},
        // (15.5, 8.5): d = 7, fraction 0.661: 8.5 + 4.63 = 13.13, 16 x 12.63 = 202 (was 240).
        {"Fisheye Lens", 100, true, ramp, 15, 8, opaque(202, 0, 0)},
        // The centre stays put: 128.
        {"Fisheye Lens", 100, true, ramp, 8, 8, opaque(128, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.x) + "," + std::to_string(c.y));
        picture_ = bitmapFrom(16, 16, c.picture);
        TRPropTransitionIn group;
        group.FBorderSize = c.border;
        group.FCenterX = group.FCenterY = c.pixelCentre ? 1.0f / 16 : 0;
        const TRTransitionStep step = Draw(group, c.name, ptTrIn, 0.5f);
        EXPECT_TRUE(near(At(step, c.x, c.y), c.expected, 3))
            << hex(At(step, c.x, c.y)).toStdString();
    }
}

TEST_F(TransitionDraw, DissolveKeepsOrClearsEachPixelByTheNoise) {
    // Each pixel is the picture where the noise lies below t and clear elsewhere. The noise
    // (128 x 128 for a 64 x 64 picture, base frequency 30 / 200 = 0.15, about ten cells a
    // side) spreads evenly about 0.5: about half the pixels are shown half way, almost none
    // at a quarter, none at the start, and a pixel once shown stays.
    constexpr int N = 64;
    picture_ = bitmapFrom(N, N, [](int x, int) { return x < N / 2 ? Red : Blue; });
    const ImageTile original = picture_->render(RectL{0, 0, N, N});
    TRPropTransitionIn group;
    group.FBorderSize = 30;
    const auto shown = [&](float position) {
        const TRTransitionStep step = Draw(group, "Dissolve", ptTrIn, position, N);
        const ImageTile pixels = step.Output->render(RectL{0, 0, N, N});
        std::vector<bool> kept;
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                const uint32_t p = pixels.pixelAt(x, y);
                EXPECT_TRUE(p == Clear || p == original.pixelAt(x, y)) << x << "," << y;
                kept.push_back(p != Clear);
            }
        return kept;
    };
    const std::vector<bool> quarter = shown(0.25f), half = shown(0.5f);
    const auto count = [](const std::vector<bool>& v) {
        return std::count(v.begin(), v.end(), true);
    };
    EXPECT_GT(count(half), N * N * 4 / 10);
    EXPECT_LT(count(half), N * N * 6 / 10);
    EXPECT_LT(count(quarter), N * N / 20);
    for (size_t i = 0; i < half.size(); ++i)
        EXPECT_TRUE(!quarter[i] || half[i]) << i;
    EXPECT_EQ(count(shown(0)), 0);
}
