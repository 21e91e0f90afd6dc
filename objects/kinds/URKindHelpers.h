#pragma once
// Small pieces the scene-reading kinds (video-effect region, zoom area) share: the bitmaps they
// keep from paint to paint and the outline of their Shape group.

#include "core/URObject.h"
#include "platform/render/Bitmap.h"
#include "platform/render/Geometry.h"

// Makes `bitmap` a premultiplied 96-dpi target of `size`, reusing it while the size stays;
// false when it cannot be made (it is then null).
inline bool EnsureTargetBitmap(platform::render::BitmapPtr& bitmap, platform::render::SizeU size) {
    using namespace platform::render;
    if (!bitmap || !(bitmap->pixelSize() == size))
        bitmap = Bitmap::create(
            size, BitmapProperties{AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    return bitmap != nullptr;
}

// The object's Shape outline fitted to `rect`; a rectangle without a shape.
inline platform::render::GeometryPtr ShapeOutline(TRObject& object, const QRectF& rect) {
    auto* shape = dynamic_cast<TRShapeSource*>(object.GetProperty(ptShape));
    platform::render::GeometryPtr g = shape ? shape->GetGeometry(rect, -1) : nullptr;
    return g ? g : platform::render::Geometry::rectangle(ToRectF(rect));
}
