// The interface a laid-out text offers the device context. The text layer implements it; the
// device context only forwards DeviceContext::drawTextLayout() to it.
#pragma once

#include "platform/render/Types.h"

namespace platform::render {

class Brush;
class DeviceContext;

class TextLayout {
public:
    virtual ~TextLayout();
    /// Draws the text with its top-left at `origin` (DIPs, under the context's transform),
    /// painting with `brush` where the layout sets no brush of its own. `clip` limits the
    /// drawing to the layout box.
    virtual void draw(DeviceContext& context, PointF origin, const Brush& brush,
                      bool clip) const = 0;
};

} // namespace platform::render
