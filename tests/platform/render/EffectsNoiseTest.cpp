// Turbulence (reproducible, region independent, stitchable) and the displacement map.
#include "platform/render/StandardEffects.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <gtest/gtest.h>

using namespace effectstest;
namespace fx = platform::render::effects;

namespace {

EffectPtr turbulence(const FactoryPtr& f, Vector2 size, Vector2 frequency, uint32_t octaves = 1,
                     uint32_t seed = 0) {
    EffectPtr e = f->createEffect(fx::Turbulence);
    e->setValue(fx::TurbulenceSize, size);
    e->setValue(fx::TurbulenceBaseFrequency, frequency);
    e->setValue(fx::TurbulenceOctaves, octaves);
    e->setValue(fx::TurbulenceSeed, seed);
    return e;
}

} // namespace

TEST(EffectsNoise, TurbulenceIsBoundedBySizeAndEmptyByDefault) {
    const FactoryPtr f = Factory::create();
    const EffectPtr plain = f->createEffect(fx::Turbulence);
    EXPECT_EQ(*plain->value(fx::TurbulenceBaseFrequency), PropertyValue(Vector2{0.01f, 0.01f}));
    EXPECT_TRUE(plain->bounds().isEmpty());
    EXPECT_EQ(turbulence(f, {30.5f, 20}, {0.1f, 0.1f})->bounds(), (RectL{0, 0, 31, 20}));
}

TEST(EffectsNoise, TurbulenceAtTheLatticeOriginIsHalfGreyOrZero) {
    // At (0, 0) every lattice term vanishes: the fractal sum gives 0.5 in every straight
    // channel, the turbulence kind 0.
    const FactoryPtr f = Factory::create();
    const EffectPtr e = turbulence(f, {4, 4}, {0.3f, 0.3f}, 3, 7);
    EXPECT_TRUE(near(e->render({0, 0, 1, 1}).pixelAt(0, 0), straight(128, 128, 128, 128), 1));
    e->setValue(fx::TurbulenceNoise, uint32_t(fx::NoiseTurbulence));
    EXPECT_EQ(e->render({0, 0, 1, 1}).pixelAt(0, 0), 0u);
}

TEST(EffectsNoise, TurbulenceIsReproducibleAndRegionIndependent) {
    const FactoryPtr f = Factory::create();
    const EffectPtr a = turbulence(f, {64, 48}, {0.05f, 0.08f}, 4, 11);
    const EffectPtr b = turbulence(Factory::create(), {64, 48}, {0.05f, 0.08f}, 4, 11);
    const ImageTile whole = a->render({0, 0, 64, 48});
    EXPECT_TRUE(tilesNear(b->render({0, 0, 64, 48}), whole, {0, 0, 64, 48}, 0));
    const RectL part{17, 9, 40, 30};
    EXPECT_TRUE(tilesNear(a->render(part), whole, part, 0));

    const EffectPtr other = turbulence(f, {64, 48}, {0.05f, 0.08f}, 4, 12);
    EXPECT_FALSE(tilesNear(other->render({0, 0, 64, 48}), whole, {0, 0, 64, 48}, 0));
    // Not flat: the noise varies over the tile.
    EXPECT_NE(whole.pixelAt(10, 10), whole.pixelAt(30, 20));
}

TEST(EffectsNoise, TurbulenceIsDrawnOnceWhileNothingChanges) {
    const FactoryPtr f = Factory::create();
    const EffectPtr e = turbulence(f, {64, 48}, {0.05f, 0.08f}, 4, 11);
    const RectL whole{0, 0, 64, 48};
    const ImageTile first = e->render(whole);
    // The same pixels again, without drawing them: the very same buffer.
    EXPECT_EQ(e->render(whole).pixels.constBits(), first.pixels.constBits());
    // Another region or any changed property draws anew, and as a fresh effect would.
    const RectL part{0, 0, 32, 48};
    EXPECT_TRUE(tilesNear(e->render(part), first, part, 0));
    struct Change {
        int index;
        PropertyValue value;
    };
    const Change changes[] = {{fx::TurbulenceSeed, uint32_t(12)},
                              {fx::TurbulenceOffset, Vector2{3, 0}},
                              {fx::TurbulenceBaseFrequency, Vector2{0.05f, 0.09f}},
                              {fx::TurbulenceOctaves, uint32_t(3)},
                              {fx::TurbulenceNoise, uint32_t(fx::NoiseTurbulence)},
                              {fx::TurbulenceStitchable, uint32_t(1)}};
    for (const Change& c : changes) {
        const EffectPtr changed = turbulence(f, {64, 48}, {0.05f, 0.08f}, 4, 11);
        e->render(whole);
        e->setValue(c.index, c.value);
        changed->setValue(c.index, c.value);
        const ImageTile again = e->render(whole);
        EXPECT_FALSE(tilesNear(again, first, whole, 0)) << c.index;
        EXPECT_TRUE(tilesNear(again, changed->render(whole), whole, 0)) << c.index;
        e->setValue(c.index, *turbulence(f, {64, 48}, {0.05f, 0.08f}, 4, 11)->value(c.index));
    }
    e->setValue(fx::TurbulenceSize, Vector2{64, 40});
    EXPECT_EQ(e->render(whole).pixelAt(5, 45), 0u);
}

TEST(EffectsNoise, StitchedTurbulenceRepeatsWithTheTile) {
    // Just past its right edge a stitched tile continues as at its left edge: the columns
    // next to the origin come back when shifted by the tile's width.
    const FactoryPtr f = Factory::create();
    for (const uint32_t octaves : {1u, 3u}) {
        const EffectPtr e = turbulence(f, {64, 64}, {0.05f, 0.05f}, octaves, 3);
        e->setValue(fx::TurbulenceStitchable, uint32_t(1));
        const ImageTile base = e->render({0, 0, 64, 8});
        e->setValue(fx::TurbulenceOffset, Vector2{64, 0});
        const RectL edge{0, 0, 5, 8};
        EXPECT_TRUE(tilesNear(e->render({0, 0, 64, 8}), base, edge, 0)) << octaves;
        e->setValue(fx::TurbulenceStitchable, uint32_t(0));
        EXPECT_FALSE(tilesNear(e->render({0, 0, 64, 8}), base, edge, 0)) << octaves;
    }
}

TEST(EffectsNoise, DisplacementMovesBySelectedChannels) {
    const FactoryPtr f = Factory::create();
    const BitmapPtr input = noiseBitmap(8, 8);
    const ImageTile src = input->render({0, 0, 8, 8});
    const EffectPtr e = effectOn(f, fx::DisplacementMap, input);
    // Input 1 all (R 1, G 0.5): x moves by scale x (1 - 0.5), y stays.
    e->setInput(1, bitmapFrom(8, 8, [](int, int) { return opaque(255, 128, 0); }));
    EXPECT_TRUE(tilesNear(e->render({0, 0, 8, 8}), src, {0, 0, 8, 8}, 0)); // scale 0
    e->setValue(fx::DisplacementScale, 4.0f);
    e->setValue(fx::DisplacementXChannel, uint32_t(fx::ChannelR));
    e->setValue(fx::DisplacementYChannel, uint32_t(fx::ChannelG));
    EXPECT_EQ(e->bounds(), (RectL{-3, -3, 11, 11}));
    const ImageTile out = e->render({0, 0, 8, 8});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_TRUE(near(out.pixelAt(x, y), src.pixelAt(x + 2, y), 2)) << x << "," << y;
    EXPECT_EQ(out.pixelAt(6, 0), 0u); // reads beyond the input: transparent
}
