#include "graphics/ui/URCustomcontrol.h"

#include "graphics/URDX12Base.h"

#include <QDebug>
#include <exception>

using namespace platform::render;

namespace {

// Puts the context's target back whatever happens while drawing.
class TargetRestorer {
public:
    explicit TargetRestorer(DeviceContext& context) : context_(context), saved_(context.target()) {}
    ~TargetRestorer() {
        if (context_.isDrawing())
            context_.endDraw();
        context_.setTarget(saved_);
    }
    TargetRestorer(const TargetRestorer&) = delete;
    TargetRestorer& operator=(const TargetRestorer&) = delete;

private:
    DeviceContext& context_;
    BitmapPtr saved_;
};

} // namespace

TRCustomControl::TRCustomControl(QWidget* AOwner) : SwapChainWidget(AOwner) {
    // Descendants follow the pointer (hover states, cursors), not only while a button is down.
    setMouseTracking(true);
}

void TRCustomControl::Paint() {
    if (OnPaint)
        OnPaint(*this);
}

void TRCustomControl::renderFrame(const BitmapPtr& backBuffer) {
    if (!D2DContext)
        return;
    TargetRestorer restore(*D2DContext);
    D2DContext->setTarget(backBuffer);
    D2DContext->beginDraw();
    D2DContext->clear({0, 0, 0, 0}); // the back buffer ignores alpha: opaque black
    try {
        Paint();
    } catch (const std::exception& e) {
        qWarning() << "Painting" << metaObject()->className() << "failed:" << e.what();
    } catch (...) {
        qWarning() << "Painting" << metaObject()->className() << "failed";
    }
}
