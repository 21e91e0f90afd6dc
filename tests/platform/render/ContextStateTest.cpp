#include "platform/render/ContextState.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace platform::render;

namespace {

BitmapPtr Target() {
    return Bitmap::create({4, 4}, {.options = BitmapOptions::Target});
}

struct Borrowed {
    bool drawing;
    bool throws;
};

} // namespace

// Whether the context was drawing or not, and whether the borrowed pass ends normally, is left
// open or is cut short by an exception: the target, transform and pass come back as they were.
TEST(ContextStateGuard, PutsTheContextBackOnEveryExit) {
    const Borrowed cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const Borrowed& c : cases) {
        const auto context = DeviceContext::create(Factory::create());
        const BitmapPtr own = Target(), other = Target();
        const Matrix3x2 shift = Matrix3x2::translation(3, 5);
        context->setTarget(own);
        context->setTransform(shift);
        if (c.drawing)
            context->beginDraw();
        try {
            const ContextStateGuard guard(*context);
            EXPECT_FALSE(context->isDrawing());
            context->setTarget(other);
            context->setTransform(Matrix3x2::scale(2, 2));
            context->beginDraw();
            if (c.throws)
                throw std::runtime_error("painting failed");
            EXPECT_TRUE(context->endDraw());
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(context->target(), own) << c.drawing << c.throws;
        const Matrix3x2 m = context->transform();
        EXPECT_EQ((PointF{m.dx, m.dy}), (PointF{3, 5})) << c.drawing << c.throws;
        EXPECT_EQ(m.m11, 1) << c.drawing << c.throws;
        EXPECT_EQ(context->isDrawing(), c.drawing) << c.drawing << c.throws;
        if (c.drawing) {
            EXPECT_TRUE(context->endDraw());
        }
    }
}
