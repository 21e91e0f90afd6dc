// Gaussian, directional and shadow blurs against the sampled Gaussian, their borders and
// their region-limited evaluation.
#include "platform/render/StandardEffects.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <gtest/gtest.h>

using namespace effectstest;
namespace fx = platform::render::effects;

namespace {

// The normalised sampled Gaussian weight of offset k (reach 3 sigma), independent of the
// engine's filter code.
double gaussianWeight(int k, double sigma) {
    const int reach = int(std::ceil(3 * sigma));
    double sum = 0;
    for (int i = -reach; i <= reach; ++i)
        sum += std::exp(-double(i * i) / (2 * sigma * sigma));
    return std::abs(k) > reach ? 0 : std::exp(-double(k * k) / (2 * sigma * sigma)) / sum;
}

// Standard normal distribution function.
double phi(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

EffectPtr blur(const FactoryPtr& f, ImagePtr input, float sigma, uint32_t border = fx::BorderSoft) {
    EffectPtr e = effectOn(f, fx::GaussianBlur, std::move(input));
    e->setValue(fx::GaussianBlurStandardDeviation, sigma);
    e->setValue(fx::GaussianBlurBorderMode, border);
    return e;
}

// One opaque white pixel in the middle of a transparent 21 x 21 image.
BitmapPtr impulse() {
    return bitmapFrom(21, 21, [](int x, int y) { return x == 10 && y == 10 ? grey(255) : 0u; });
}

} // namespace

TEST(EffectsBlur, ClassesCarryTheDocumentedDefaults) {
    const FactoryPtr f = Factory::create();
    struct Case {
        QUuid id;
        int index;
        PropertyValue initial;
    };
    const Case cases[] = {
        {fx::GaussianBlur, fx::GaussianBlurStandardDeviation, 3.0f},
        {fx::GaussianBlur, fx::GaussianBlurBorderMode, uint32_t(fx::BorderSoft)},
        {fx::DirectionalBlur, fx::DirectionalBlurAngle, 0.0f},
        {fx::DirectionalBlur, fx::DirectionalBlurBorderMode, uint32_t(fx::BorderSoft)},
        {fx::Shadow, fx::ShadowColor, Vector4{0, 0, 0, 1}},
        {fx::Shadow, fx::ShadowBlurStandardDeviation, 3.0f},
    };
    for (const Case& c : cases) {
        const EffectPtr e = f->createEffect(c.id);
        ASSERT_TRUE(e);
        ASSERT_TRUE(e->value(c.index));
        EXPECT_EQ(*e->value(c.index), c.initial) << c.index;
    }
}

TEST(EffectsBlur, GaussianImpulseFollowsTheSampledGaussian) {
    const FactoryPtr f = Factory::create();
    for (const float sigma : {0.5f, 1.0f, 2.5f}) {
        const EffectPtr e = blur(f, impulse(), sigma);
        const ImageTile out = e->render({0, 0, 21, 21});
        for (const auto& [dx, dy] :
             std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 2}, {2, 3}, {-3, 1}}) {
            const double expected = 255 * gaussianWeight(dx, sigma) * gaussianWeight(dy, sigma);
            const uint32_t p = out.pixelAt(10 + dx, 10 + dy);
            EXPECT_NEAR(channel(p, 24), expected, 1.0) << sigma << " " << dx << "," << dy;
            EXPECT_NEAR(channel(p, 16), expected, 1.0) << sigma << " " << dx << "," << dy;
        }
    }
}

TEST(EffectsBlur, WideGaussianStepMatchesTheErrorFunction) {
    // A hard-bordered vertical step, black to white: the blurred profile is the Gaussian
    // distribution function across the edge; the box passes approximate it closely.
    const FactoryPtr f = Factory::create();
    const int w = 200;
    const float sigma = 12;
    const EffectPtr e =
        blur(f, bitmapFrom(w, 4, [](int x, int) { return grey(x < 100 ? 0 : 255); }), sigma,
             fx::BorderHard);
    EXPECT_EQ(e->bounds(), (RectL{0, 0, w, 4}));
    const ImageTile out = e->render({0, 0, w, 4});
    for (int x = 60; x < 140; x += 5) {
        const double expected = 255 * phi((x + 0.5 - 100) / sigma);
        EXPECT_NEAR(channel(out.pixelAt(x, 2), 0), expected, 3.0) << x;
        EXPECT_EQ(channel(out.pixelAt(x, 2), 24), 255) << x;
    }
}

TEST(EffectsBlur, ZeroDeviationLeavesTheImage) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input = noiseBitmap(9, 7);
    for (const QUuid id : {fx::GaussianBlur, fx::DirectionalBlur}) {
        const EffectPtr e = effectOn(f, id, input);
        e->setValue(0, 0.0f);
        EXPECT_EQ(e->bounds(), input->bounds());
        EXPECT_TRUE(tilesNear(e->render(input->bounds()), input->render(input->bounds()),
                              input->bounds(), 0));
    }
}

TEST(EffectsBlur, SoftBorderFadesAndGrowsHardBorderKeepsTheEdge) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr red = bitmapFrom(8, 8, [](int, int) { return opaque(255, 0, 0); });
    const EffectPtr soft = blur(f, red, 2);
    EXPECT_EQ(soft->bounds(), (RectL{-6, -6, 14, 14}));
    EXPECT_LT(channel(soft->render({0, 0, 8, 8}).pixelAt(0, 0), 24), 200);
    EXPECT_GT(channel(soft->render({-3, 4, -2, 5}).pixelAt(-3, 4), 24), 0);

    const EffectPtr hard = blur(f, red, 2, fx::BorderHard);
    EXPECT_EQ(hard->bounds(), (RectL{0, 0, 8, 8}));
    const ImageTile out = hard->render({0, 0, 8, 8});
    EXPECT_TRUE(near(out.pixelAt(0, 0), opaque(255, 0, 0), 1))
        << hex(out.pixelAt(0, 0)).toStdString();
    EXPECT_TRUE(near(out.pixelAt(7, 3), opaque(255, 0, 0), 1));
}

TEST(EffectsBlur, SubRegionEqualsTheSameRegionOfTheWholeImage) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input = noiseBitmap(48, 40);
    const RectL part{5, 7, 23, 19};
    for (const float sigma : {1.5f, 12.0f})
        for (const uint32_t border : {uint32_t(fx::BorderSoft), uint32_t(fx::BorderHard)}) {
            const EffectPtr e = blur(f, input, sigma, border);
            const ImageTile whole = e->render(e->bounds());
            EXPECT_TRUE(tilesNear(e->render(part), whole, part, 1)) << sigma << " " << border;
        }
}

TEST(EffectsBlur, OnlyTheRegionGrownByTheReachIsRead) {
    const FactoryPtr f = Factory::create();
    const auto counting = std::make_shared<CountingImage>(noiseBitmap(400, 300));
    const EffectPtr e = blur(f, counting, 2);
    e->render({100, 100, 110, 104});
    ASSERT_EQ(counting->requested.size(), 1u);
    EXPECT_EQ(counting->requested[0], (RectL{94, 94, 116, 110}));
}

TEST(EffectsBlur, DirectionalBlurSpreadsAlongItsAngleOnly) {
    const FactoryPtr f = Factory::create();
    struct Case {
        float angle;
        std::pair<int, int> along, across;
    };
    const Case cases[] = {{0, {2, 0}, {0, 2}}, {90, {0, 2}, {2, 0}}, {45, {2, -2}, {2, 2}}};
    for (const Case& c : cases) {
        const EffectPtr e = effectOn(f, fx::DirectionalBlur, impulse());
        e->setValue(fx::DirectionalBlurStandardDeviation, 2.0f);
        e->setValue(fx::DirectionalBlurAngle, c.angle);
        const ImageTile out = e->render({0, 0, 21, 21});
        EXPECT_GT(channel(out.pixelAt(10 + c.along.first, 10 + c.along.second), 24), 5) << c.angle;
        EXPECT_LE(channel(out.pixelAt(10 + c.across.first, 10 + c.across.second), 24), 1)
            << c.angle;
    }
    // Axis-aligned: exactly the one-dimensional sampled Gaussian.
    const EffectPtr e = effectOn(f, fx::DirectionalBlur, impulse());
    e->setValue(fx::DirectionalBlurStandardDeviation, 2.0f);
    const ImageTile out = e->render({0, 0, 21, 21});
    EXPECT_NEAR(channel(out.pixelAt(12, 10), 24), 255 * gaussianWeight(2, 2), 1.0);
    EXPECT_EQ(e->bounds(), (RectL{-6, 0, 27, 21}));
}

TEST(EffectsBlur, SlantedDirectionalBlurOfAnEdge) {
    // A horizontal edge blurred along 30 degrees spreads over sigma x sin 30 rows: the
    // profile across it is the Gaussian distribution function of that deviation.
    const FactoryPtr f = Factory::create();
    const BitmapPtr edge = bitmapFrom(100, 100, [](int, int y) { return grey(y < 50 ? 0 : 255); });
    const EffectPtr e = effectOn(f, fx::DirectionalBlur, edge);
    e->setValue(fx::DirectionalBlurStandardDeviation, 8.0f);
    e->setValue(fx::DirectionalBlurAngle, 30.0f);
    e->setValue(fx::DirectionalBlurBorderMode, uint32_t(fx::BorderHard));
    const ImageTile out = e->render({0, 0, 100, 100});
    for (int y = 40; y < 60; ++y) {
        const double expected = 255 * phi((y + 0.5 - 50) / 4.0);
        EXPECT_NEAR(channel(out.pixelAt(50, y), 0), expected, 6.0) << y;
    }
    // Drawing a part gives the same pixels as drawing the whole.
    const RectL part{31, 22, 57, 61};
    EXPECT_TRUE(tilesNear(e->render(part), out, part, 1));
    e->setValue(fx::DirectionalBlurAngle, 120.0f);
    e->setValue(fx::DirectionalBlurBorderMode, uint32_t(fx::BorderSoft));
    EXPECT_TRUE(tilesNear(e->render(part), e->render(e->bounds()), part, 1));
}

TEST(EffectsBlur, ShadowColoursTheAlphaAndBlursIt) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input =
        bitmapFrom(4, 4, [](int x, int) { return x < 2 ? grey(200) : straight(128, 0, 0, 255); });
    const EffectPtr e = effectOn(f, fx::Shadow, input);
    e->setValue(fx::ShadowBlurStandardDeviation, 0.0f);
    e->setValue(fx::ShadowColor, Vector4{1, 0, 0, 0.5f});
    const ImageTile sharp = e->render({0, 0, 4, 4});
    EXPECT_TRUE(near(sharp.pixelAt(0, 0), 0x80800000u, 1))
        << hex(sharp.pixelAt(0, 0)).toStdString();
    EXPECT_TRUE(near(sharp.pixelAt(3, 0), 0x40400000u, 1))
        << hex(sharp.pixelAt(3, 0)).toStdString();

    e->setValue(fx::ShadowBlurStandardDeviation, 1.0f);
    EXPECT_EQ(e->bounds(), (RectL{-3, -3, 7, 7}));
    EXPECT_GT(channel(e->render({-1, 0, 0, 1}).pixelAt(-1, 0), 24), 0);
}
