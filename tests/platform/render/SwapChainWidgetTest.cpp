#include "platform/render/ui/SwapChainWidget.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace platform::render;

namespace {

// Writes a colour straight into the back buffer, alpha byte left at zero: presenting must
// treat the buffer as opaque.
class FlatWidget : public SwapChainWidget {
public:
    int frames = 0;

protected:
    void renderFrame(const BitmapPtr& buffer) override {
        ++frames;
        buffer->image().fill(0x00336699u);
    }
};

TEST(SwapChainWidget, PresentsItsBufferOpaqueAndFollowsTheSize) {
    QWidget parent;
    parent.resize(50, 50);
    parent.show();
    FlatWidget widget;
    widget.setParent(&parent);
    widget.resize(0, 7);
    widget.show();
    EXPECT_EQ(widget.backBuffer(), nullptr); // no area yet
    widget.resize(12, 7);
    ASSERT_NE(widget.backBuffer(), nullptr);
    EXPECT_EQ(widget.backBuffer()->pixelSize(), widget.wantedPixelSize());
    const QImage frame = widget.grab().toImage();
    EXPECT_GE(widget.frames, 1);
    EXPECT_EQ(frame.pixel(5, 5), qRgb(0x33, 0x66, 0x99));
    widget.resize(0, 7);
    EXPECT_EQ(widget.backBuffer(), nullptr);
}

} // namespace
