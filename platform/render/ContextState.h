// ContextStateGuard: lends a device context to another target for one scope. It ends a pass in
// progress and notes the target and transform; when the scope ends, also by an exception, it
// ends any pass begun meanwhile, puts the target and transform back and begins a pass again if
// one was in progress before:
//     ContextStateGuard guard(ctx);
//     ctx.setTarget(other); ctx.beginDraw(); ...; ctx.endDraw();
#pragma once

#include "platform/render/DeviceContext.h"

namespace platform::render {

class ContextStateGuard {
public:
    explicit ContextStateGuard(DeviceContext& context);
    ~ContextStateGuard();
    ContextStateGuard(const ContextStateGuard&) = delete;
    ContextStateGuard& operator=(const ContextStateGuard&) = delete;

private:
    DeviceContext& context_;
    BitmapPtr target_;
    Matrix3x2 transform_;
    bool wasDrawing_;
};

} // namespace platform::render
