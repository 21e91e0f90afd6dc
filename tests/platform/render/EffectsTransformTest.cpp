// 3-D, perspective and scale transforms: mirrors, identities, known pixels, bounds and
// region-limited evaluation.
#include "platform/render/StandardEffects.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <gtest/gtest.h>

using namespace effectstest;
namespace fx = platform::render::effects;

namespace {

// The flip matrices of the media group: a half turn about an axis, moved back over the image.
Matrix4x4 flip(bool horizontal, bool vertical, float w, float h) {
    Matrix4x4 mh, mv;
    if (horizontal) {
        mh = Matrix4x4::rotationY(-180);
        mh.m[3][0] = w;
    }
    if (vertical) {
        mv = Matrix4x4::rotationX(-180);
        mv.m[3][1] = h;
    }
    return mh * mv;
}

EffectPtr transform3D(const FactoryPtr& f, ImagePtr input, const Matrix4x4& m) {
    EffectPtr e = effectOn(f, fx::Transform3D, std::move(input));
    e->setValue(fx::Transform3DMatrix, m);
    return e;
}

} // namespace

TEST(EffectsTransform, FlipsMirrorTheImageInPlace) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input = noiseBitmap(6, 4);
    const ImageTile src = input->render({0, 0, 6, 4});
    struct Case {
        bool h, v;
    };
    for (const Case c :
         {Case{true, false}, Case{false, true}, Case{true, true}, Case{false, false}}) {
        const EffectPtr e = transform3D(f, input, flip(c.h, c.v, 6, 4));
        e->setValue(fx::Transform3DInterpolation, uint32_t(Interpolation::Cubic));
        EXPECT_EQ(e->bounds(), (RectL{0, 0, 6, 4}));
        const ImageTile out = e->render({0, 0, 6, 4});
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const uint32_t expected = src.pixelAt(c.h ? 5 - x : x, c.v ? 3 - y : y);
                EXPECT_TRUE(near(out.pixelAt(x, y), expected, 1))
                    << c.h << c.v << " at " << x << "," << y;
            }
    }
}

TEST(EffectsTransform, TranslationAndPerspectiveDepth) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input = noiseBitmap(4, 4);
    const EffectPtr moved = transform3D(f, input, Matrix4x4::translation(3, 2, 0));
    EXPECT_EQ(moved->bounds(), (RectL{3, 2, 7, 6}));
    EXPECT_EQ(moved->render({3, 2, 4, 3}).pixelAt(3, 2), input->render({0, 0, 1, 1}).pixelAt(0, 0));

    // Pushed back to z = 1000 in front of a viewer at depth 1000 looking at the origin: the
    // image appears at half size about the origin.
    const EffectPtr far =
        transform3D(f, bitmapFrom(40, 40, [](int, int) { return grey(255); }),
                    Matrix4x4::translation(0, 0, -1000) * Matrix4x4::perspectiveProjection(1000));
    EXPECT_EQ(far->bounds(), (RectL{0, 0, 20, 20}));
}

TEST(EffectsTransform, PerspectiveRotationNarrowsTheImage) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input = bitmapFrom(100, 60, [](int, int) { return grey(255); });
    const EffectPtr e = effectOn(f, fx::PerspectiveTransform3D, input);
    EXPECT_EQ(e->bounds(), input->bounds()); // no rotation: unchanged
    e->setValue(fx::PerspectiveRotation, Vector3{0, 60, 0});
    e->setValue(fx::PerspectiveRotationOrigin, Vector3{50, 30, 0});
    e->setValue(fx::PerspectiveOrigin, Vector2{50, 30});
    e->setValue(fx::PerspectiveInterpolation, uint32_t(Interpolation::Cubic));
    const RectL b = e->bounds();
    EXPECT_GT(b.width(), 45);
    EXPECT_LT(b.width(), 56); // 100 cos 60 with a little perspective
    const ImageTile out = e->render(b);
    EXPECT_EQ(out.pixelAt(50, 30), grey(255));
    // A positive turn about y moves the right half away from the viewer (z = -x sin 60), so
    // the right edge looks shorter. A pixel centre (sx, sy) comes from the image point
    // X = (sx - 50) / (cos 60 - (sx - 50) sin 60 / 1000) from the middle, at depth factor
    // w = 1 + X sin 60 / 1000 and row 30 + (sy - 30) w. At (27.5, 0.5): X = -43.3, w = 0.9625,
    // row 1.61, well inside the top edge; at (72.5, -0.5): X = 46.8, w = 1.0406, row -1.74,
    // beyond the reach of the cubic filter. The wrong turn swaps the two.
    EXPECT_EQ(out.pixelAt(27, 0), grey(255));
    EXPECT_EQ(out.pixelAt(72, -1), 0u);

    // Edge-on (90 degrees) nothing of the image is seen.
    e->setValue(fx::PerspectiveRotation, Vector3{0, 90, 0});
    EXPECT_LE(e->bounds().width(), 2);
}

TEST(EffectsTransform, ScaleAboutACentre) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input = noiseBitmap(3, 3);
    const ImageTile src = input->render({0, 0, 3, 3});
    const EffectPtr e = effectOn(f, fx::Scale, input);
    e->setValue(fx::ScaleAmount, Vector2{2, 2});
    e->setValue(fx::ScaleInterpolation, uint32_t(Interpolation::Nearest));
    EXPECT_EQ(e->bounds(), (RectL{0, 0, 6, 6}));
    const ImageTile out = e->render({0, 0, 6, 6});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(out.pixelAt(x, y), src.pixelAt(x / 2, y / 2)) << x << "," << y;

    e->setValue(fx::ScaleCenterPoint, Vector2{3, 3});
    EXPECT_EQ(e->bounds(), (RectL{-3, -3, 3, 3}));
    e->setValue(fx::ScaleAmount, Vector2{0, 2}); // a degenerate scale draws nothing
    EXPECT_TRUE(e->bounds().isEmpty());
}

TEST(EffectsTransform, SubRegionEqualsTheSameRegionOfTheWholeImage) {
    const FactoryPtr f = Factory::create();
    const auto counting = std::make_shared<CountingImage>(noiseBitmap(64, 48));
    const EffectPtr e =
        transform3D(f, counting, Matrix4x4::rotationZ(20) * Matrix4x4::translation(10, 5, 0));
    const ImageTile whole = e->render(e->bounds());
    counting->requested.clear();
    const RectL part{20, 20, 30, 26};
    EXPECT_TRUE(tilesNear(e->render(part), whole, part, 0));
    ASSERT_EQ(counting->requested.size(), 1u);
    EXPECT_LT(counting->requested[0].area(), 20 * 20); // not the whole 64 x 48 input
}
