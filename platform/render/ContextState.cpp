#include "platform/render/ContextState.h"

namespace platform::render {

ContextStateGuard::ContextStateGuard(DeviceContext& context)
    : context_(context), target_(context.target()), transform_(context.transform()),
      wasDrawing_(context.isDrawing()) {
    if (wasDrawing_)
        context_.endDraw();
}

ContextStateGuard::~ContextStateGuard() {
    if (context_.isDrawing())
        context_.endDraw();
    context_.setTarget(target_);
    context_.setTransform(transform_);
    if (wasDrawing_)
        context_.beginDraw();
}

} // namespace platform::render
