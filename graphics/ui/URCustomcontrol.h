// TRCustomControl: the base of the program's engine-drawn controls (scene canvas, timeline,
// drawing canvas). On every paint it points the shared context D2DContext at the control's
// own back buffer, clears it to opaque black, lets the control draw in Paint(), presents the
// buffer and restores the context's previous target. Descendants only draw.
#pragma once

#include "platform/render/ui/SwapChainWidget.h"

#include <functional>

class TRCustomControl : public platform::render::SwapChainWidget {
    Q_OBJECT
public:
    explicit TRCustomControl(QWidget* AOwner);

    /// Called by the base Paint().
    std::function<void(TRCustomControl&)> OnPaint;

protected:
    /// Draws into D2DContext, whose target is the back buffer and whose pass is open. The
    /// context's transform is left as the previous drawing left it. An exception thrown here
    /// ends the frame (it is logged, not passed on: Qt's event loop cannot carry it).
    virtual void Paint();

private:
    void renderFrame(const platform::render::BitmapPtr& backBuffer) final;
};
