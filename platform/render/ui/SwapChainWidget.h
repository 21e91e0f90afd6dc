// SwapChainWidget: a widget drawn through the 2-D engine. It keeps a back-buffer Bitmap of its
// own pixel size (alpha ignored, DPI = 96 x the device pixel ratio, so one DIP is one logical
// widget pixel), asks the subclass to render into it on every paint event and presents it.
// The buffer is made when the widget first has a non-zero size and re-made on size changes.
#pragma once

#include "platform/render/Bitmap.h"

#include <QWidget>

namespace platform::render {

class SwapChainWidget : public QWidget {
    Q_OBJECT
public:
    explicit SwapChainWidget(QWidget* parent = nullptr);

    /// The current back buffer; nullptr while the widget has no area.
    const BitmapPtr& backBuffer() const { return backBuffer_; }
    /// The back buffer's pixel size for the widget's current size and pixel ratio.
    SizeU wantedPixelSize() const;

protected:
    /// Fills `backBuffer` for presentation; called from paintEvent() when a buffer exists.
    virtual void renderFrame(const BitmapPtr& backBuffer) = 0;
    /// Makes the back buffer fit the widget. False when nothing had to be done (or the widget
    /// has no area, in which case the buffer is released).
    bool recreateBackBuffer();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    BitmapPtr backBuffer_;
};

} // namespace platform::render
