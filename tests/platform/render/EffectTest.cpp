#include "PixelTestSupport.h"
#include "platform/render/Blend.h"
#include "platform/render/BuiltinEffects.h"

#include <atomic>
#include <gtest/gtest.h>
#include <vector>

using namespace platform::render;
using namespace rendertest;

namespace {

// A large generated input (like the noise of a dissolve, twice the frame) that counts the
// pixels it is asked for.
class CountingImage : public Image {
public:
    explicit CountingImage(RectL bounds) : bounds_(bounds) {}
    static uint32_t patternAt(int32_t x, int32_t y) {
        return 0xff000000u | uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8;
    }
    RectL bounds() const override { return bounds_; }
    ImageTile render(const RectL& region) const override {
        rendered += region.area();
        ImageTile tile = ImageTile::transparent(region);
        const RectL area = region.intersected(bounds_);
        for (int32_t y = area.top; y < area.bottom; ++y)
            for (int32_t x = area.left; x < area.right; ++x)
                tile.mutableRow(y)[x - region.left] = patternAt(x, y);
        return tile;
    }
    mutable std::atomic<int64_t> rendered{0};

private:
    RectL bounds_;
};

BitmapPtr filled(uint32_t w, uint32_t h, uint32_t argb) {
    std::vector<uint32_t> px(size_t(w) * h, argb);
    return Bitmap::create({w, h}, {}, px.data(), int(w * 4));
}

// Each output pixel is the brightest of itself and its two horizontal neighbours: a kernel
// that needs more input than it outputs.
class HorizontalMaxKernel : public EffectKernel {
public:
    RectL outputBounds(std::span<const RectL> in) const override { return in[0].inflated(1); }
    void mapOutputToInputs(const RectL& out, std::span<RectL> in) const override {
        in[0] = {out.left - 1, out.top, out.right + 1, out.bottom};
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        for (int32_t y = out.region.top; y < out.region.bottom; ++y)
            for (int32_t x = out.region.left; x < out.region.right; ++x) {
                uint32_t best = 0;
                for (int32_t dx = -1; dx <= 1; ++dx)
                    best = std::max(best, in[0].pixelAt(x + dx, y));
                out.mutableRow(y)[x - out.region.left] = best;
            }
    }
};

const QUuid kHorizontalMax{0x11111111, 0x2222, 0x3333, 0x44, 0x44, 0x55,
                           0x55,       0x55,   0x55,   0x55, 0x55};

EffectClass horizontalMaxClass() {
    return {kHorizontalMax, "HorizontalMax", 1, {}, [] {
                return std::make_unique<HorizontalMaxKernel>();
            }};
}

class EffectGraph : public testing::Test {
protected:
    void draw(const Image& image, PointF offset = {}) {
        canvas.context->beginDraw();
        canvas.context->drawImage(image, offset);
        EXPECT_TRUE(canvas.context->endDraw());
    }
    EffectPtr make(const QUuid& id) { return canvas.context->createEffect(id); }
    Canvas canvas;
    std::shared_ptr<CountingImage> noise = std::make_shared<CountingImage>(RectL{0, 0, 2000, 2000});
};

TEST_F(EffectGraph, CreatingAndConfiguringComputesNothing) {
    EffectPtr offset = make(effects::Offset);
    EffectPtr composite = make(effects::Composite);
    ASSERT_TRUE(offset && composite);
    EXPECT_TRUE(offset->setInput(0, noise));
    EXPECT_TRUE(offset->setValue(effects::OffsetAmount, Vector2{-3, -5}));
    EXPECT_TRUE(composite->setInput(1, offset->output()));
    EXPECT_EQ(noise->rendered, 0);
}

TEST_F(EffectGraph, ChainEvaluatesOnlyTheDrawnRegion) {
    EffectPtr offset = make(effects::Offset);
    EffectPtr composite = make(effects::Composite);
    offset->setInput(0, noise);
    offset->setValue(effects::OffsetAmount, Vector2{-3, -5});
    composite->setInput(0, filled(16, 16, 0xff0000ff));
    composite->setInput(1, offset->output());
    draw(*composite);
    // The target is 16x16; with the filter margin the noise is asked for a few hundred pixels
    // of its four million.
    EXPECT_GT(noise->rendered, 0);
    EXPECT_LE(noise->rendered, 24 * 24);
    EXPECT_EQ(pixel(*canvas.target, 0, 0), CountingImage::patternAt(3, 5));
    EXPECT_EQ(pixel(*canvas.target, 15, 10), CountingImage::patternAt(18, 15));
}

TEST_F(EffectGraph, ClipsAndTransformsLimitTheEvaluatedRegion) {
    canvas.context->beginDraw();
    canvas.context->setTransform(Matrix3x2::scale(2, 2)); // 8x8 image pixels cover the target
    canvas.context->pushAxisAlignedClip({0, 0, 4, 2});    // 8x4 target pixels
    canvas.context->drawImage(*noise);
    canvas.context->popAxisAlignedClip();
    EXPECT_TRUE(canvas.context->endDraw());
    EXPECT_LE(noise->rendered, 8 * 6);
    EXPECT_EQ(pixel(*canvas.target, 9, 9), 0u);
}

TEST_F(EffectGraph, Crop) {
    EffectPtr crop = make(effects::Crop);
    crop->setInput(0, filled(16, 16, 0xff00ff00));
    crop->setValue(effects::CropRect, Vector4{2, 2, 6, 6});
    EXPECT_EQ(crop->bounds(), (RectL{2, 2, 6, 6}));
    draw(*crop);
    EXPECT_EQ(pixel(*canvas.target, 1, 1), 0u);
    EXPECT_EQ(pixel(*canvas.target, 3, 3), 0xff00ff00u);
    EXPECT_EQ(pixel(*canvas.target, 6, 6), 0u);
}

TEST_F(EffectGraph, CompositeIsSourceOver) {
    EffectPtr composite = make(effects::Composite);
    composite->setInput(0, filled(16, 16, 0xff0000ff));
    composite->setInput(1, filled(8, 16, 0x80800000)); // half-transparent red, left half
    draw(*composite);
    EXPECT_TRUE(near(pixel(*canvas.target, 2, 2), 0xff80007f, 1))
        << hex(pixel(*canvas.target, 2, 2)).toStdString();
    EXPECT_EQ(pixel(*canvas.target, 12, 2), 0xff0000ffu);
}

TEST_F(EffectGraph, CompositeWithAMissingInputShowsTheOther) {
    EffectPtr composite = make(effects::Composite);
    composite->setInput(1, filled(4, 4, 0xffff0000));
    draw(*composite);
    EXPECT_EQ(pixel(*canvas.target, 1, 1), 0xffff0000u);
    EXPECT_EQ(pixel(*canvas.target, 5, 5), 0u);
}

TEST_F(EffectGraph, AffineTransformMovesAndScales) {
    EffectPtr affine = make(effects::AffineTransform2D);
    affine->setInput(0, filled(2, 2, 0xffff0000));
    affine->setValue(effects::AffineInterpolation, uint32_t(Interpolation::Nearest));
    affine->setValue(effects::AffineMatrix, Matrix3x2::scale(2, 2) * Matrix3x2::translation(3, 0));
    EXPECT_EQ(affine->bounds(), (RectL{3, 0, 7, 4}));
    draw(*affine);
    EXPECT_EQ(pixel(*canvas.target, 2, 1), 0u);
    EXPECT_EQ(pixel(*canvas.target, 3, 0), 0xffff0000u);
    EXPECT_EQ(pixel(*canvas.target, 6, 3), 0xffff0000u);
    EXPECT_EQ(pixel(*canvas.target, 7, 3), 0u);
}

TEST_F(EffectGraph, DrawImageOffsetAndImageRect) {
    canvas.context->beginDraw();
    canvas.context->drawImage(*noise, {4, 4}, RectL{0, 0, 2, 2});
    EXPECT_TRUE(canvas.context->endDraw());
    EXPECT_EQ(pixel(*canvas.target, 5, 5), CountingImage::patternAt(1, 1));
    EXPECT_EQ(pixel(*canvas.target, 6, 6), 0u);
    EXPECT_EQ(pixel(*canvas.target, 3, 3), 0u);
}

TEST_F(EffectGraph, RefusesCyclesBadIndicesAndWrongTypes) {
    EffectPtr a = make(effects::Offset);
    EffectPtr b = make(effects::Offset);
    EXPECT_TRUE(b->setInput(0, a->output()));
    EXPECT_FALSE(a->setInput(0, b->output()));
    EXPECT_FALSE(a->setInput(0, a->output()));
    EXPECT_FALSE(a->setInput(1, noise));
    EXPECT_FALSE(a->setInput(-1, noise));
    EXPECT_FALSE(a->setValue(effects::OffsetAmount, 3.0f));
    EXPECT_FALSE(a->setValue(7, Vector2{1, 1}));
    EXPECT_EQ(a->valueAs<Vector2>(effects::OffsetAmount), (Vector2{0, 0}));
    EXPECT_EQ(a->value(7), nullptr);
}

TEST(EffectRegistry, UnknownDuplicateAndCustomClasses) {
    FactoryPtr factory = Factory::create();
    EXPECT_EQ(factory->createEffect(kHorizontalMax), nullptr);
    EXPECT_TRUE(factory->registerEffect(horizontalMaxClass()));
    EXPECT_FALSE(factory->registerEffect(horizontalMaxClass()));
    EXPECT_FALSE(factory->registerEffect(
        {QUuid(), "NoId", 1, {}, [] { return std::make_unique<HorizontalMaxKernel>(); }}));
    EXPECT_FALSE(factory->registerEffect({QUuid::createUuid(), "NoKernel", 1, {}, {}}));
    // Registries are per factory.
    EXPECT_FALSE(Factory::create()->isRegistered(kHorizontalMax));
    EXPECT_TRUE(factory->isRegistered(effects::Composite));
}

TEST(EffectRegistry, CustomKernelGetsTheNeighboursItAsksFor) {
    Canvas canvas;
    canvas.context->factory()->registerEffect(horizontalMaxClass());
    EffectPtr effect = canvas.context->createEffect(kHorizontalMax);
    ASSERT_NE(effect, nullptr);
    auto dot = Bitmap::create({16, 16});
    const uint32_t red = 0xffff0000;
    dot->copyFromMemory(&red, 4, RectL{5, 5, 6, 6});
    effect->setInput(0, dot);
    canvas.context->beginDraw();
    canvas.context->pushAxisAlignedClip(
        {6, 0, 7, 16}); // only column 6: needs column 5 of the input
    canvas.context->drawImage(*effect);
    canvas.context->popAxisAlignedClip();
    EXPECT_TRUE(canvas.context->endDraw());
    EXPECT_EQ(pixel(*canvas.target, 6, 5), red);
    EXPECT_EQ(pixel(*canvas.target, 4, 5), 0u); // outside the clip
}

TEST(Blend, SourceOverMatchesTheFormula) {
    const uint32_t cases[][3] = {
        {0x00000000, 0xff123456, 0xff123456},
        {0xff000000, 0xff123456, 0xff000000},
        {0x80400000, 0xff0000ff, 0xff40007f},
        {0x80808080, 0x00000000, 0x80808080},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(near(sourceOver(c[0], c[1]), c[2], 1))
            << hex(sourceOver(c[0], c[1])).toStdString();
}

TEST(Blend, CopyOpaqueSetsOnlyTheAlphaOfEveryPixel) {
    // Lengths around the four-pixel steps: the last pixels go one by one.
    for (const size_t count : {0u, 1u, 3u, 4u, 7u, 9u}) {
        std::vector<uint32_t> source(count), dest(count + 1, 0x01020304u);
        for (size_t i = 0; i < count; ++i)
            source[i] = uint32_t(i) * 0x11223344u;
        copyOpaque(dest.data(), source.data(), count);
        for (size_t i = 0; i < count; ++i)
            EXPECT_EQ(dest[i], source[i] | 0xff000000u) << count << " " << i;
        EXPECT_EQ(dest[count], 0x01020304u) << count; // nothing beyond the pixels
    }
}

} // namespace
