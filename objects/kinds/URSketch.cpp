#include "objects/kinds/URSketch.h"

#include "core/UREasing.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropSketch.h"
#include "platform/render/ContextState.h"
#include "platform/render/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <optional>

using namespace platform::render;

namespace {

// Milliseconds rounded to the nearest whole one, halves to the even neighbour; 0 for a value
// that is not finite, and held far inside the integer range.
std::int64_t RoundMs(double ms) {
    if (!std::isfinite(ms))
        return 0;
    return std::int64_t(std::nearbyint(std::clamp(ms, -1e12, 1e12)));
}

// Draw on over the first stretch of `window` ms, erase towards its end.
double RampUpAndDown(double d, std::int64_t t, std::int64_t window) {
    const std::int64_t half = std::min(window / 2, RoundMs(d));
    return t < half ? double(t) / d : double(window - t) / d;
}

double LoopAndRevert(double d, double pause, std::int64_t t, std::int64_t length) {
    const std::int64_t cycle = RoundMs(2 * d + 2 * pause);
    if (cycle <= 0)
        return 1;
    const std::int64_t whole = length / cycle * cycle;
    if (t >= whole)
        return RampUpAndDown(d, t - whole, length - whole);
    const double m = double(t % cycle);
    if (m < d)
        return m / d;
    if (m < d + pause)
        return 1;
    if (m < 2 * d + pause)
        return (2 * d + pause - m) / d;
    return 0;
}

double RawProgress(const TRSketchTiming& k, std::int64_t t, std::int64_t length) {
    const double d = k.DrawTime;
    if (k.Loop && k.Revert)
        return LoopAndRevert(d, k.PauseTime, t, length);
    if (k.Revert)
        return RampUpAndDown(d, t, length);
    if (k.Loop) {
        const std::int64_t cycle = RoundMs(d + double(k.PauseTime));
        if (cycle <= 0)
            return 1;
        const double m = double(t % cycle);
        return m < d ? m / d : 1;
    }
    return double(t) < d ? double(t) / d : 1;
}

StrokeStylePtr SketchStrokeStyle(double dash, double gap) {
    StrokeStyleProperties props;
    props.startCap = props.endCap = props.dashCap = CapStyle::Round;
    props.lineJoin = LineJoin::Miter;
    props.miterLimit = 10;
    props.dashStyle = DashStyle::Custom;
    props.dashOffset = 0;
    return StrokeStyle::create(props, {float(dash), float(gap)});
}

// Strokes the first `drawn` of the `length` of `geometry`: one dash followed by a gap longer
// than the rest, both in stroke widths (the extra width keeps the round caps off the gap).
void StrokeDrawnPart(DeviceContext& dc, const Geometry& geometry, const Brush& brush, float width,
                     double drawn, double length) {
    if (const StrokeStylePtr style = SketchStrokeStyle(drawn / width, (length - drawn) / width + 1))
        dc.drawGeometry(geometry, brush, width, style.get());
}

// Every segment grows at once, each to the same drawn length of the longest one.
void StrokeParallel(DeviceContext& dc, const TRPropSketch& k, const QRectF& r, const Brush& brush,
                    float width, double e) {
    const GeometryPtr outline = k.GetGeometry(r, -1);
    const double longest = k.GetMaxSegmentLength(r);
    if (outline)
        StrokeDrawnPart(dc, *outline, brush, width, longest * e, longest);
}

// The segments one after another, the drawn length running on from one into the next.
void StrokeSequential(DeviceContext& dc, const TRPropSketch& k, const QRectF& r, const Brush& brush,
                      float width, double e) {
    double rest = e * k.GetTotalLength(r);
    for (int i = 0, n = k.GetNrSegments(); i < n; ++i) {
        const GeometryPtr segment = k.GetGeometry(r, i);
        double length = segment ? segment->computeLength({}, 0) : 0;
        if (!(length > 0))
            length = 1;
        if (segment)
            StrokeDrawnPart(dc, *segment, brush, width, std::min(rest, length), length);
        rest -= length;
        if (rest <= 0)
            break;
    }
}

// A bitmap side for `pixels`, truncated; 0 (no bitmap) for nothing or a side beyond reason.
std::uint32_t BitmapSide(double pixels) {
    return pixels >= 1 && pixels < 1e9 ? std::uint32_t(pixels) : 0;
}

} // namespace

double SketchProgress(const TRSketchTiming& timing, std::int32_t t, std::int32_t length) {
    if (!(timing.DrawTime > 0))
        return 1;
    const double p = RawProgress(timing, t, length);
    return std::isnan(p) ? 1 : std::clamp(p, 0.0, 1.0);
}

TRSketch::TRSketch(TRProject* project, TRObjectType type) : TRDrawable(project, type) {
    FObjectName = QStringLiteral("Sketch ") + QString::number(FObjectId);
    if (TrIn())
        TrIn()->SetChecked(false);
}

std::optional<double> TRSketch::DrawnFraction(const TRPropSketch& sketch) const {
    if (!ScenePlaybackActive() && !(FProject && FProject->Exporting))
        return 1.0;
    const double p =
        SketchProgress({sketch.FDrawTime, sketch.FPauseTime, sketch.FLoop, sketch.FRevert},
                       FTimePosition - FTimeStart, FTimeEnd - FTimeStart);
    if (p <= 0)
        return std::nullopt;
    // Curves that overshoot would ask for more than the outline, or a negative dash.
    return std::clamp(Ease(p, sketch.FEase, 0, 1), 0.0, 1.0);
}

void TRSketch::UpdateBitmap() {
    DeviceContext* dc = SceneContext();
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    auto* sketch = Get<TRPropSketch>(ptSketch);
    if (!dc || !placement || !sketch)
        return;
    const float w = sketch->Checked() && sketch->FThickness > 0 ? sketch->FThickness : 0.0f;
    const QSizeF scaled = placement->GetScaledSize();
    const SizeU size{BitmapSide(scaled.width() + 2 * w), BitmapSide(scaled.height() + 2 * w)};
    if (!FBitmap || FBitmap->pixelSize() != size)
        FBitmap = Bitmap::create(
            size, BitmapProperties{AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    if (!FBitmap)
        return;
    const ContextStateGuard guard(*dc);
    dc->setTarget(FBitmap);
    dc->beginDraw();
    dc->setTransform(Matrix3x2::translation(w, w));
    dc->clear({0, 0, 0, 0});
    const QRectF r = placement->GetZeroBoundsRect();
    const std::optional<double> e = w > 0 ? DrawnFraction(*sketch) : std::nullopt;
    const BrushPtr brush = e ? sketch->Brush(float(r.right()), float(r.bottom()), false) : nullptr;
    if (brush) {
        if (sketch->GetNrSegments() <= 1 || sketch->FParallel)
            StrokeParallel(*dc, *sketch, r, *brush, w, *e);
        else
            StrokeSequential(*dc, *sketch, r, *brush, w, *e);
    }
    dc->endDraw();
}

ImagePtr TRSketch::FamilySteps(ImagePtr image, float w, float h) {
    auto* sketch = Get<TRPropSketch>(ptSketch);
    if (!sketch)
        return image;
    return sketch->DrawBlur(sketch->DrawFlip(image, w, h));
}
