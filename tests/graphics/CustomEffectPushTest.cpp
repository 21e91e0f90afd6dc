// Push's graph: offsets of every slide type, clipping to the frame, the blur along the motion
// and the picture at the stages of its progress.
#include "graphics/URCEPush.h"
#include "graphics/URCustomEffects.h"
#include "tests/platform/render/EffectsTestSupport.h"

#include <gtest/gtest.h>

using namespace effectstest;

namespace {

enum PushProperty { Type = 0, Size = 1, Masked = 2, BlurSize = 3, Progress = 4 };

class PushTest : public ::testing::Test {
protected:
    void SetUp() override { TRCEPush::RegisterEffect(*factory); }

    EffectPtr push(ImagePtr input, float type, Vector2 size, float progress, float masked = 1,
                   float blur = 0) {
        EffectPtr e = effectOn(factory, CLSID_CEPush, std::move(input));
        e->setValue(Type, type);
        e->setValue(Size, size);
        e->setValue(Progress, progress);
        e->setValue(Masked, masked);
        e->setValue(BlurSize, blur);
        return e;
    }

    FactoryPtr factory = Factory::create();
};

} // namespace

TEST_F(PushTest, OffsetsAndFramesOfTheSlideTypes) {
    const BitmapPtr frame = bitmapFrom(1920, 1080, [](int, int) { return grey(255); });
    struct Case {
        float type;
        Vector2 size;
        float progress;
        RectL moved, masked;
    };
    const Case cases[] = {
        {1, {1920, 1080}, 0.25f, {1440, 0, 3360, 1080}, {0, 0, 1920, 1080}},
        {0, {1920, 1080}, 0.25f, {-1440, 0, 480, 1080}, {0, 0, 1920, 1080}},
        {2, {1920, 1080}, 0.5f, {0, -540, 1920, 540}, {0, 0, 1920, 1080}},
        {3, {1920, 1080}, 0.75f, {0, 270, 1920, 1350}, {0, 0, 1920, 1080}},
        {4, {1920, 1080}, 0, {-960, 0, 960, 1080}, {960, 0, 1920, 1080}},
        // 500.5 goes to the even neighbour, 500; so does the half frame.
        {5, {1001, 500}, 0, {500, 0, 2420, 1080}, {0, 0, 500, 500}},
        {6, {1920, 1080}, 0, {0, -540, 1920, 540}, {0, 540, 1920, 1080}},
        {7, {1920, 1080}, 0.5f, {0, 270, 1920, 1350}, {0, 0, 1920, 540}},
        {2.5f, {1920, 1080}, 0.5f, {0, -540, 1920, 540}, {0, 0, 1920, 1080}}, // 2.5 is type 2
    };
    for (const Case& c : cases) {
        EXPECT_EQ(push(frame, c.type, c.size, c.progress, 0)->bounds(), c.moved) << c.type;
        EXPECT_EQ(push(frame, c.type, c.size, c.progress, 1)->bounds(), c.masked) << c.type;
    }
}

TEST_F(PushTest, AtTheEndEveryTypeRestsInItsFrame) {
    const BitmapPtr input = noiseBitmap(8, 6);
    for (int type = 0; type < 8; ++type) {
        const EffectPtr e = push(input, float(type), {8, 6}, 1, 0, 10);
        EXPECT_EQ(e->bounds(), input->bounds()) << type; // no offset, no blur
        EXPECT_TRUE(
            tilesNear(e->render({0, 0, 8, 6}), input->render({0, 0, 8, 6}), {0, 0, 8, 6}, 0))
            << type;
    }
}

TEST_F(PushTest, BlurFollowsTheMotion) {
    // Type 2 with BlurSize 10 halfway: deviation 5 along 90 degrees, so only rows spread;
    // type 6 with the same values blurs along 0 degrees.
    const BitmapPtr input = bitmapFrom(10, 10, [](int, int) { return grey(255); });
    const RectL vertical = push(input, 2, {10, 10}, 0.5f, 0, 10)->bounds();
    EXPECT_EQ(vertical.left, 0);
    EXPECT_EQ(vertical.right, 10);
    EXPECT_LT(vertical.top, -5 - 12);
    EXPECT_GT(vertical.bottom, 5 + 12);
    const RectL horizontal = push(input, 6, {10, 10}, 0.5f, 0, 10)->bounds();
    EXPECT_LT(horizontal.left, -12);
    EXPECT_EQ(horizontal.top, -2); // -2.5 to the even neighbour, not blurred vertically
    EXPECT_EQ(horizontal.bottom, 8);
}

TEST_F(PushTest, PictureAtTheStagesOfItsProgress) {
    const BitmapPtr input = bitmapFrom(4, 1, [](int x, int) { return opaque(60 * x, 0, 0); });
    struct Case {
        float progress;
        std::array<uint32_t, 4> expected;
    };
    const Case cases[] = {
        {0, {0, 0, 0, 0}},
        {0.5f, {opaque(120, 0, 0), opaque(180, 0, 0), 0, 0}},
        {0.75f, {opaque(60, 0, 0), opaque(120, 0, 0), opaque(180, 0, 0), 0}},
        {1, {opaque(0, 0, 0), opaque(60, 0, 0), opaque(120, 0, 0), opaque(180, 0, 0)}},
    };
    for (const Case& c : cases) {
        const EffectPtr e = push(input, 0, {4, 1}, c.progress);
        const ImageTile out = e->render({0, 0, 4, 1});
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(out.pixelAt(x, 0), c.expected[size_t(x)]) << c.progress << " at " << x;
        EXPECT_EQ(e->render({-4, 0, 0, 1}).pixelAt(-2, 0), 0u) << "clipped to the frame";
    }
}

TEST_F(PushTest, OtherTypesKeepThePreviousOffsetUnclipped) {
    const BitmapPtr input = bitmapFrom(20, 10, [](int, int) { return grey(255); });
    const EffectPtr e = push(input, 1, {20, 10}, 0.25f);
    EXPECT_EQ(e->bounds(), (RectL{0, 0, 20, 10}));
    e->setValue(Type, 9.0f);
    EXPECT_EQ(e->bounds(), (RectL{15, 0, 35, 10}));
    e->setValue(Progress, 0.5f); // the offset stays where type 1 left it
    EXPECT_EQ(e->bounds(), (RectL{15, 0, 35, 10}));
}

TEST_F(PushTest, UnsetSizeDrawsNothingAndOnlyTheNeededInputIsRead) {
    const auto counting = std::make_shared<CountingImage>(noiseBitmap(200, 100));
    const EffectPtr unset = effectOn(factory, CLSID_CEPush, counting);
    EXPECT_TRUE(unset->bounds().isEmpty());

    const EffectPtr e = push(counting, 1, {200, 100}, 0.5f);
    counting->requested.clear();
    const ImageTile part = e->render({150, 40, 160, 50});
    ASSERT_EQ(counting->requested.size(), 1u);
    EXPECT_EQ(counting->requested[0], (RectL{46, 40, 64, 50}));
    EXPECT_EQ(part.pixelAt(150, 40), counting->render({50, 40, 51, 41}).pixelAt(50, 40));
}
