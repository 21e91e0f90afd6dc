#include "graphics/URCustomCaption.h"
#include "platform/render/DeviceContext.h"

#include <gtest/gtest.h>

using namespace platform::render;

namespace {

struct CaptionScene {
    CaptionScene() : context(DeviceContext::create(Factory::create())) {
        target = Bitmap::create({120, 100}, {.options = BitmapOptions::Target});
        context->setTarget(target);
        auto format =
            TextFormat::create({QStringLiteral("DejaVu Sans"), 700, FontStyle::Normal, 60});
        layout = TextLayoutBox::create(QStringLiteral("I"), format, 120, 100);
        renderer.FillBrush = SolidColorBrush::create({1, 0, 0, 1});
        renderer.OutlineBrush = SolidColorBrush::create({0, 0, 1, 1});
    }
    // The caption object's two passes: the outline (when there is one), then the fill.
    void Paint(float outlineSize) {
        context->beginDraw();
        if (outlineSize > 0) {
            renderer.OutlineSize = outlineSize;
            layout->draw(renderer, context.get(), {20, 10});
        }
        renderer.OutlineSize = 0;
        layout->draw(renderer, context.get(), {20, 10});
        EXPECT_TRUE(context->endDraw());
    }
    uint32_t At(float x, float y) const {
        return reinterpret_cast<const uint32_t*>(
            target->image().constScanLine(static_cast<int>(y)))[static_cast<int>(x)];
    }
    DeviceContextPtr context;
    BitmapPtr target;
    TextLayoutBoxPtr layout;
    TRCustomCaptionRenderer renderer;
};

} // namespace

TEST(CaptionRenderer, OutlineSurroundsTheFilledLetters) {
    struct Case {
        float outline;
        uint32_t beside; // the pixel 3 DIPs left of the letter's ink
    } cases[] = {{4, 0xff0000ff}, {0, 0}};
    for (const Case& c : cases) {
        CaptionScene scene;
        scene.Paint(c.outline);
        const RectF ink = scene.layout->inkBounds();
        const float midY = 10 + (ink.top + ink.bottom) / 2;
        const float left = 20 + ink.left;
        EXPECT_EQ(scene.At(20 + (ink.left + ink.right) / 2, midY), 0xffff0000u) << c.outline;
        EXPECT_EQ(scene.At(left - 3, midY), c.beside) << c.outline;
        EXPECT_EQ(scene.At(left - 8, midY), 0u) << c.outline;
    }
}

TEST(CaptionRenderer, DecorationsAreNotDrawn) {
    CaptionScene scene;
    scene.layout->setUnderline(true);
    scene.layout->setStrikethrough(true);
    scene.Paint(0);
    const RectF ink = scene.layout->inkBounds();
    // Beside the letter, at the underline's and the strike-through's heights: nothing.
    for (float y = 10 + ink.top; y < 100; y += 1)
        EXPECT_EQ(scene.At(20 + ink.right + 4, y), 0u) << y;
}

TEST(CaptionRenderer, NothingWithoutBrushOrContext) {
    CaptionScene scene;
    scene.renderer.FillBrush.reset();
    scene.Paint(2);
    for (int y = 0; y < 100; y += 5)
        for (int x = 0; x < 120; x += 5)
            ASSERT_EQ(scene.At(x, y), 0u);
    TRCustomCaptionRenderer alone;
    alone.FillBrush = SolidColorBrush::create({1, 0, 0, 1});
    scene.layout->draw(alone, nullptr, {}); // no context: returns quietly
}
