#include "platform/render/ui/SwapChainWidget.h"

#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace platform::render {

SwapChainWidget::SwapChainWidget(QWidget* parent) : QWidget(parent) {
    // The whole area is painted every time: no system background, no erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

SizeU SwapChainWidget::wantedPixelSize() const {
    const qreal ratio = devicePixelRatioF();
    return {uint32_t(std::lround(width() * ratio)), uint32_t(std::lround(height() * ratio))};
}

bool SwapChainWidget::recreateBackBuffer() {
    const SizeU wanted = wantedPixelSize();
    if (wanted.width == 0 || wanted.height == 0) {
        const bool had = backBuffer_ != nullptr;
        backBuffer_.reset();
        return had;
    }
    if (backBuffer_ && backBuffer_->pixelSize() == wanted)
        return false;
    backBuffer_.reset();
    const float dpi = float(96 * devicePixelRatioF());
    backBuffer_ = Bitmap::create(wanted, {AlphaMode::Ignore, dpi, dpi, BitmapOptions::Target});
    return true;
}

void SwapChainWidget::paintEvent(QPaintEvent*) {
    recreateBackBuffer(); // the pixel ratio may have changed with the screen
    if (!backBuffer_)
        return;
    renderFrame(backBuffer_);
    // Presented as opaque RGB straight from the buffer's memory: its alpha bytes are ignored.
    const QImage& pixels = backBuffer_->image();
    QImage frame(pixels.constBits(), pixels.width(), pixels.height(), pixels.bytesPerLine(),
                 QImage::Format_RGB32);
    frame.setDevicePixelRatio(devicePixelRatioF());
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), frame);
}

void SwapChainWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    recreateBackBuffer();
}

} // namespace platform::render
