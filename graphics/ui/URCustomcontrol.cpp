#include "graphics/ui/URCustomcontrol.h"

#include "graphics/URDX12Base.h"
#include "platform/render/ContextState.h"

#include <QDebug>
#include <exception>

using namespace platform::render;

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
    const ContextStateGuard guard(*D2DContext);
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
