#include "graphics/ui/URCustomcontrol.h"

#include "graphics/URDX12Base.h"

#include <QImage>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace platform::render;

namespace {

// Draws a red square at (2,2)-(6,6) DIPs, or throws half-way when asked to.
class SquareControl : public TRCustomControl {
public:
    using TRCustomControl::TRCustomControl;
    bool throwAfterSquare = false;
    int paints = 0;

protected:
    void Paint() override {
        ++paints;
        D2DContext->fillRectangle({2, 2, 6, 6}, *SolidColorBrush::create({1, 0, 0, 1}));
        if (throwAfterSquare)
            throw std::runtime_error("painting failed");
        D2DContext->fillRectangle({10, 2, 14, 6}, *SolidColorBrush::create({0, 0, 1, 1}));
    }
};

QRgb at(const QImage& image, int x, int y) {
    return image.pixel(int(x * image.devicePixelRatio()), int(y * image.devicePixelRatio()));
}

class CustomControl : public testing::Test {
protected:
    void SetUp() override {
        InitDX();
        ASSERT_TRUE(DXReady);
        parent.resize(64, 64);
        parent.show(); // resize events reach visible widgets at once
    }
    QWidget parent;
};

TEST_F(CustomControl, PaintsIntoItsBufferOnBlack) {
    SquareControl control(&parent);
    control.resize(20, 10);
    const QImage frame = control.grab().toImage();
    EXPECT_GE(control.paints, 1);
    EXPECT_EQ(at(frame, 3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(at(frame, 11, 3), qRgb(0, 0, 255));
    EXPECT_EQ(at(frame, 18, 8), qRgb(0, 0, 0));
}

TEST_F(CustomControl, ControlThatDrawsNothingIsBlack) {
    TRCustomControl control(&parent);
    control.resize(8, 8);
    EXPECT_EQ(at(control.grab().toImage(), 4, 4), qRgb(0, 0, 0));
}

TEST_F(CustomControl, BufferFollowsTheSize) {
    SquareControl control(&parent);
    control.show();
    control.resize(0, 10);
    EXPECT_EQ(control.backBuffer(), nullptr);
    control.resize(20, 10);
    const BitmapPtr first = control.backBuffer();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->pixelSize(), control.wantedPixelSize());
    EXPECT_EQ(first->alphaMode(), AlphaMode::Ignore);
    control.resize(20, 10);
    EXPECT_EQ(control.backBuffer(), first); // same size: nothing re-made
    control.resize(30, 12);
    ASSERT_NE(control.backBuffer(), first);
    EXPECT_EQ(control.backBuffer()->pixelSize(), control.wantedPixelSize());
    EXPECT_EQ(at(control.grab().toImage(), 28, 10), qRgb(0, 0, 0));
}

TEST_F(CustomControl, RestoresTheContextTargetAroundPaint) {
    // Another drawing's target is set on the shared context before the control paints.
    const BitmapPtr other =
        Bitmap::create({4, 4}, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    for (bool throws : {false, true}) {
        D2DContext->setTarget(other);
        SquareControl control(&parent);
        control.throwAfterSquare = throws;
        control.resize(20, 10);
        const QImage frame = control.grab().toImage();
        EXPECT_EQ(D2DContext->target(), other) << throws;
        EXPECT_FALSE(D2DContext->isDrawing()) << throws;
        EXPECT_EQ(at(frame, 3, 3), qRgb(255, 0, 0)) << throws; // drawn before the throw
        EXPECT_EQ(at(frame, 11, 3), throws ? qRgb(0, 0, 0) : qRgb(0, 0, 255));
    }
}

TEST_F(CustomControl, OnPaintRunsFromTheBasePaint) {
    TRCustomControl control(&parent);
    int calls = 0;
    control.OnPaint = [&](TRCustomControl& c) {
        EXPECT_EQ(&c, &control);
        ++calls;
    };
    control.resize(8, 8);
    control.grab();
    EXPECT_GE(calls, 1);
}

} // namespace
