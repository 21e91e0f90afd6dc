// Flood, sepia, saturation, emboss and vignette on small images with hand-computed values.
#include "platform/render/StandardEffects.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <gtest/gtest.h>

using namespace effectstest;
namespace fx = platform::render::effects;

namespace {

struct PixelCase {
    const char* what;
    QUuid id;
    std::vector<std::pair<int, PropertyValue>> values;
    uint32_t input, expected;
};

} // namespace

TEST(EffectsColor, OnePixelTable) {
    const PixelCase cases[] = {
        {"sepia 0 is identity",
         fx::Sepia,
         {{fx::SepiaIntensity, 0.0f}},
         opaque(10, 200, 30),
         opaque(10, 200, 30)},
        {"sepia 1 on red",
         fx::Sepia,
         {{fx::SepiaIntensity, 1.0f}},
         opaque(255, 0, 0),
         opaque(0x64, 0x59, 0x45)},
        {"sepia 1 on white",
         fx::Sepia,
         {{fx::SepiaIntensity, 1.0f}},
         grey(255),
         opaque(255, 255, 0xef)},
        {"sepia keeps alpha", fx::Sepia, {{fx::SepiaIntensity, 1.0f}}, 0x80800000u, 0x80322d23u},
        {"saturation 1 is identity",
         fx::Saturation,
         {{fx::SaturationAmount, 1.0f}},
         opaque(10, 200, 30),
         opaque(10, 200, 30)},
        {"saturation 0 on red",
         fx::Saturation,
         {{fx::SaturationAmount, 0.0f}},
         opaque(255, 0, 0),
         grey(0x36)},
        {"saturation 0 on white",
         fx::Saturation,
         {{fx::SaturationAmount, 0.0f}},
         grey(255),
         grey(255)},
        {"default saturation halfway",
         fx::Saturation,
         {},
         opaque(255, 0, 0),
         opaque(0x9b, 0x1b, 0x1b)},
    };
    const FactoryPtr f = Factory::create();
    for (const PixelCase& c : cases) {
        const EffectPtr e = effectOn(f, c.id, bitmapFrom(1, 1, [&](int, int) { return c.input; }));
        for (const auto& [index, value] : c.values)
            ASSERT_TRUE(e->setValue(index, value)) << c.what;
        const uint32_t got = e->render({0, 0, 1, 1}).pixelAt(0, 0);
        EXPECT_TRUE(near(got, c.expected, 1)) << c.what << ": " << hex(got).toStdString();
    }
}

TEST(EffectsColor, FloodIsAnUnboundedPlane) {
    const FactoryPtr f = Factory::create();
    const EffectPtr e = f->createEffect(fx::Flood);
    EXPECT_TRUE(e->bounds().isInfinite());
    EXPECT_EQ(e->render({-5, 7, -4, 8}).pixelAt(-5, 7), 0xff000000u); // default opaque black
    e->setValue(fx::FloodColor, Vector4{0.5f, 0, 0.25f, 0.5f});
    EXPECT_EQ(e->render({100, 100, 101, 101}).pixelAt(100, 100), 0x80800040u);
    e->setValue(fx::FloodColor, Vector4{2, 1, 0, 0.5f}); // colour beyond its alpha is clamped
    EXPECT_EQ(e->render({0, 0, 1, 1}).pixelAt(0, 0), 0x80808000u);
}

TEST(EffectsColor, EmbossShowsTheSlopeAlongItsDirection) {
    // Black, grey, white from left to right: lit from the left (0 degrees), the middle pixel
    // falls into shadow; lit from the right it is white; a flat image is mid-grey.
    const FactoryPtr f = Factory::create();
    const BitmapPtr ramp = bitmapFrom(3, 1, [](int x, int) { return grey(x * 127); });
    const EffectPtr e = effectOn(f, fx::Emboss, ramp);
    EXPECT_EQ(e->bounds(), ramp->bounds());
    EXPECT_TRUE(near(e->render({1, 0, 2, 1}).pixelAt(1, 0), grey(0), 1));
    e->setValue(fx::EmbossDirection, 180.0f);
    EXPECT_TRUE(near(e->render({1, 0, 2, 1}).pixelAt(1, 0), grey(254), 1));
    e->setValue(fx::EmbossDirection, 90.0f);
    EXPECT_TRUE(near(e->render({1, 0, 2, 1}).pixelAt(1, 0), grey(128), 1));
    const EffectPtr flat = effectOn(
        f, fx::Emboss, bitmapFrom(3, 3, [](int, int) { return straight(128, 40, 90, 200); }));
    EXPECT_TRUE(near(flat->render({1, 1, 2, 2}).pixelAt(1, 1), straight(128, 128, 128, 128), 1));
}

TEST(EffectsColor, VignetteFadesTowardsTheCorners) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr white = bitmapFrom(10, 10, [](int, int) { return grey(255); });
    const EffectPtr e = effectOn(f, fx::Vignette, white);
    e->setValue(fx::VignetteStrength, 1.0f);
    e->setValue(fx::VignetteTransitionSize, 1.0f);
    const ImageTile out = e->render({0, 0, 10, 10});
    // Normalised radius: 0.1 next to the centre, 0.9 in the corner pixel.
    EXPECT_TRUE(near(out.pixelAt(4, 4), grey(230), 1)) << hex(out.pixelAt(4, 4)).toStdString();
    EXPECT_TRUE(near(out.pixelAt(0, 0), grey(26), 1)) << hex(out.pixelAt(0, 0)).toStdString();
    e->setValue(fx::VignetteTransitionSize, 0.0f);
    EXPECT_TRUE(
        tilesNear(e->render({0, 0, 10, 10}), white->render({0, 0, 10, 10}), {0, 0, 10, 10}, 0));
}
