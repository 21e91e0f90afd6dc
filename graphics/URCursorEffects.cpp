#include "graphics/URCursorEffects.h"

#include "platform/render/Brush.h"

using namespace platform::render;

ColorF ColorFromTColor(uint32_t color, float alpha) {
    return {float(color & 0xFF) / 255, float((color >> 8) & 0xFF) / 255,
            float((color >> 16) & 0xFF) / 255, alpha};
}

std::optional<TRClickRing> ClickRingAt(float elapsedMs, float size, float thickness, float duration,
                                       float opacity, float scale) {
    if (duration <= 0 || elapsedMs < 0 || elapsedMs > duration)
        return std::nullopt;
    const float f = elapsedMs / duration;
    TRClickRing ring;
    ring.Radius = size * scale * f;
    ring.Width = ring.Radius > 0 ? thickness * scale / ring.Radius / 2 : 0;
    ring.OuterRadius = ring.Radius + 2 * thickness * scale;
    ring.Alpha = f > 0.8f ? opacity * (5 - 5 * f) : opacity;
    return ring;
}

namespace {

void FillRadial(DeviceContext& context, PointF center, float radius,
                std::vector<GradientStop> stops) {
    if (radius <= 0)
        return;
    const auto brush = RadialGradientBrush::create(
        center, {}, radius, radius, GradientStopCollection::create(std::move(stops)));
    context.fillEllipse({center, radius, radius}, *brush);
}

} // namespace

void DrawClickRing(DeviceContext& context, PointF center, const TRClickRing& ring, uint32_t color) {
    const ColorF clear{0, 0, 0, 0};
    const ColorF ink = ColorFromTColor(color, ring.Alpha);
    const float w = ring.Width;
    FillRadial(context, center, ring.OuterRadius,
               {{1 - 4 * w, clear}, {1 - 3 * w, ink}, {1 - w, ink}, {1, clear}});
}

void DrawCursorHighlight(DeviceContext& context, PointF center, float radius, uint32_t color,
                         float opacity) {
    const ColorF ink = ColorFromTColor(color, opacity);
    FillRadial(context, center, radius, {{0, ink}, {0.8f, ink}, {1, ColorFromTColor(color, 0)}});
}

void SetMagnifyLens(Effect& magnify, PointF center, float zoom, float radius) {
    magnify.setValue(0, zoom != 0 ? 1 / zoom : 0.f);
    magnify.setValue(1, Vector2{center.x, center.y});
    magnify.setValue(2, radius);
}

void SetFisheyeLens(Effect& fisheye, PointF center, float zoom, float radius) {
    fisheye.setValue(0, (zoom - 1) / 4);
    fisheye.setValue(1, Vector2{center.x, center.y});
    fisheye.setValue(2, radius);
    fisheye.setValue(3, 0.f);
}
