#pragma once
// A drawing context of the test's own installed as the scene context for as long as the scope
// lives, and one paint of the timeline into a picture of its size.

#include "core/URScenePaint.h"
#include "editor/ui/URTimeline.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Factory.h"

#include <QImage>

class SceneContextScope {
public:
    SceneContextScope()
        : context_(platform::render::DeviceContext::create(platform::render::Factory::create())) {
        Installed() = context_.get();
        SceneContextHook = [] { return Installed(); };
    }
    ~SceneContextScope() {
        SceneContextHook = nullptr;
        Installed() = nullptr;
    }
    SceneContextScope(const SceneContextScope&) = delete;
    SceneContextScope& operator=(const SceneContextScope&) = delete;

private:
    static platform::render::DeviceContext*& Installed() {
        static platform::render::DeviceContext* context = nullptr;
        return context;
    }
    platform::render::DeviceContextPtr context_;
};

// Paints the timeline once (as its paint event does) and returns the picture.
inline QImage PaintTimeline(TRTimeline& timeline) {
    using namespace platform::render;
    DeviceContext& dc = *SceneContext();
    BitmapPtr target =
        Bitmap::create(SizeU{uint32_t(timeline.width()), uint32_t(timeline.height())},
                       BitmapProperties{AlphaMode::Ignore, 96, 96, BitmapOptions::Target});
    dc.setTarget(target);
    dc.beginDraw();
    timeline.Paint();
    dc.endDraw();
    dc.setTarget(nullptr);
    return target->image().convertToFormat(QImage::Format_RGB32);
}
