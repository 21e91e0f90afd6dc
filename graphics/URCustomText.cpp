#include "graphics/URCustomText.h"

#include "platform/render/DeviceContext.h"
#include "platform/render/StrokeStyle.h"

#include <algorithm>
#include <cmath>

using namespace platform::render;

namespace {

// Bounds the spiral for baselines very close to the rectangle's origin, where each turn shrinks
// it by almost nothing.
constexpr int MaxSpiralArcs = 512;
constexpr float PathTolerance = 1.0f;

GeometryPtr LinePath(PointF from, PointF to) {
    PathBuilder builder;
    builder.setFillMode(FillMode::Winding);
    builder.beginFigure(from);
    builder.addLine(to);
    builder.endFigure(FigureEnd::Open);
    return builder.close();
}

GeometryPtr EllipsePath(const RectF& rect, float radiusX, float radiusY) {
    if (!(radiusX > 0) || !(radiusY > 0))
        return nullptr;
    const PointF centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return Geometry::ellipse({centre, radiusX, radiusY});
}

// The turns of a spiral narrow by the baseline depth `y` on every half turn.
GeometryPtr SpiralPath(const RectF& rect, float k, float y) {
    if (!(y > 0))
        return nullptr;
    const float w = rect.width(), h = rect.height();
    float a = w * k - 2 * y, b = h * k - 2 * y;
    PointF p1{rect.left + (w - a) / 2, h / 2};
    PointF p2{rect.right - (w - a) / 2, h / 2};
    PathBuilder builder;
    builder.setFillMode(FillMode::Winding);
    builder.beginFigure(p1);
    int arcs = 0;
    for (bool toP2 = true; a > 0 && b > 0 && arcs < MaxSpiralArcs; toP2 = !toP2, ++arcs) {
        builder.addArc(
            {toP2 ? p2 : p1, {a / 2, b / 2}, 0, SweepDirection::Clockwise, ArcSize::Small});
        if (toP2)
            p1.x += y;
        else
            p2.x -= y;
        a -= y;
        b -= y;
    }
    builder.endFigure(FigureEnd::Open);
    GeometryPtr path = builder.close();
    return arcs > 0 ? path : nullptr;
}

} // namespace

std::vector<TRGlyphCluster> GlyphClusters(const GlyphRun& run,
                                          const GlyphRunDescription& description) {
    const std::size_t glyphs = run.glyphIndices.size();
    std::vector<std::size_t> starts{0};
    for (quint16 entry : description.clusterMap) {
        const std::size_t start = std::min<std::size_t>(entry, glyphs);
        if (start > starts.back() && start < glyphs)
            starts.push_back(start);
    }
    if (description.clusterMap.empty()) {
        starts.clear();
        for (std::size_t i = 0; i < glyphs; ++i)
            starts.push_back(i);
    }
    std::vector<TRGlyphCluster> clusters;
    for (std::size_t i = 0; i < starts.size() && starts[i] < glyphs; ++i) {
        const std::size_t next = i + 1 < starts.size() ? starts[i + 1] : glyphs;
        clusters.push_back({starts[i], next - starts[i]});
    }
    return clusters;
}

GeometryPtr LetterOutline(const GlyphRun& run, const TRGlyphCluster& letter) {
    const auto part = [&letter](const auto& values) {
        const std::size_t first = std::min(letter.first, values.size());
        return std::span(values).subspan(first, std::min(letter.count, values.size() - first));
    };
    return run.fontFace->glyphRunOutline(run.emSize, part(run.glyphIndices),
                                         part(run.glyphAdvances), part(run.glyphOffsets), false);
}

float LetterAdvance(const GlyphRun& run, const TRGlyphCluster& letter) {
    float advance = 0;
    for (std::size_t i = letter.first; i < letter.first + letter.count; ++i)
        advance += i < run.glyphAdvances.size() ? run.glyphAdvances[i] : 0;
    return advance;
}

struct TRCustomTextRenderer::Timing {
    bool animated = false; // a checked group with a duration
    int interval = 0, duration = 0;
    bool perLine = false;
    bool isIn = true;
    float lineWidth = 0;
};

struct TRCustomTextRenderer::Letter {
    TRGlyphCluster glyphs;
    float advance = 0;
    float distance = 0; // of its centre along the path
    int start = 0;      // ms
};

void TRCustomTextRenderer::ResetCounters() {
    m_nrletters = 0;
    m_nrlines = 0;
    m_last_line_Y = -1;
}

GeometryPtr TRCustomTextRenderer::GetPathGeometry(float y) const {
    const RectF& r = PathRect;
    const float w = r.width(), h = r.height(), lh = letter_height;
    const float k = 0.75f - PathAdjust / 2;
    switch (PathType) {
    case tpArc: {
        PathBuilder builder;
        builder.setFillMode(FillMode::Winding);
        builder.beginFigure({r.left + lh, y});
        builder.addArc(
            {{r.right - lh, y},
             {(w - 2 * lh) / 2, std::abs(PathAdjust * (h - 2 * lh) / 2)},
             0,
             PathAdjust < 0 ? SweepDirection::Clockwise : SweepDirection::CounterClockwise,
             ArcSize::Small});
        builder.endFigure(FigureEnd::Open);
        return builder.close();
    }
    case tpCircle: {
        const float radius = std::min(w, h) / 2 * k - y;
        return EllipsePath(r, radius, radius);
    }
    case tpEllipse:
        return EllipsePath(r, w / 2 * k - y, h / 2 * k - y);
    case tpSpiral:
        return SpiralPath(r, k, y);
    case tpSinusoid: {
        PathBuilder builder;
        builder.setFillMode(FillMode::Winding);
        builder.beginFigure({r.left, y});
        builder.addBezier({{r.left + w / 2 - w / 8, y + PathAdjust * h},
                           {r.left + w / 2 + w / 8, y - PathAdjust * h},
                           {r.right, y}});
        builder.endFigure(FigureEnd::Open);
        return builder.close();
    }
    default:
        return LinePath({r.left, y}, {r.right, y});
    }
}

namespace {

// Twice the signed area enclosed by the path's points (curves by their control points, which
// is enough for the sign): positive for figures running clockwise on screen.
double SignedArea(const QPainterPath& path) {
    double area = 0;
    QPointF first, previous;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        if (e.isMoveTo()) {
            area += previous.x() * first.y() - first.x() * previous.y();
            first = p;
        } else {
            area += previous.x() * p.y() - p.x() * previous.y();
        }
        previous = p;
    }
    return area + previous.x() * first.y() - first.x() * previous.y();
}

} // namespace

// The letters are gathered in one path filled by the winding rule, which is their union as
// long as every letter runs the same way round: a letter running the other way (another
// font's convention, a mirroring animation) is reversed. Nothing is combined per letter, so
// the cost stays linear in the number of letters.
void TRCustomTextRenderer::AddToGeometry(const GeometryPtr& geometry) {
    if (!geometry || geometry->path().isEmpty())
        return;
    QPainterPath letters = m_Geometry ? m_Geometry->path() : QPainterPath();
    m_Geometry.reset(); // the path's data is then ours alone and grows in place
    letters.setFillRule(Qt::WindingFill);
    const QPainterPath& letter = geometry->path();
    letters.addPath(SignedArea(letter) < 0 ? letter.toReversed() : letter);
    m_Geometry = Geometry::fromPath(letters);
}

TRCustomTextRenderer::Timing TRCustomTextRenderer::AnimationTiming() const {
    Timing t;
    TRTextAnimationTiming timing;
    if (!propTextAnimation || !propTextAnimation->AnimationTiming(timing))
        return t;
    t.interval = timing.Interval;
    t.duration = timing.Duration;
    t.animated = t.duration != 0;
    t.perLine = timing.PerLine;
    t.isIn = timing.Entry;
    return t;
}

void TRCustomTextRenderer::drawGlyphRun(DeviceContext* context, PointF baselineOrigin,
                                        const GlyphRun& run,
                                        const GlyphRunDescription& description) {
    if (!FillBrush || !context || !run.fontFace)
        return;
    const FontFace& face = *run.fontFace;
    const float s = run.emSize / face.designUnitsPerEm();
    letter_height = s * face.ascent() + s * face.descent();
    const GeometryPtr path = GetPathGeometry(baselineOrigin.y);
    if (!path)
        return;

    Timing timing = AnimationTiming();
    const Matrix3x2 m0 = context->transform();
    LayerParameters layer;
    layer.geometricMask = Geometry::rectangle(PathRect);
    layer.maskAntialiasMode = AntialiasMode::Aliased;
    context->pushLayer(layer);

    const float length = path->computeLength({}, PathTolerance);
    float pos = baselineOrigin.x + length * OffsetOnPath;
    if (PathType == tpSinusoid)
        pos += letter_height;
    if (timing.perLine) {
        for (float advance : run.glyphAdvances)
            timing.lineWidth += advance;
        if (baselineOrigin.y != m_last_line_Y) {
            m_last_line_Y = baselineOrigin.y;
            ++m_nrlines;
        }
    }
    const bool leftToRight = run.bidiLevel % 2 == 0;
    for (const TRGlyphCluster& cluster : GlyphClusters(run, description)) {
        Letter letter{cluster, LetterAdvance(run, cluster)};
        letter.start = (timing.perLine ? m_nrlines - 1 : m_nrletters) * timing.interval;
        ++m_nrletters;
        letter.distance = leftToRight ? pos + letter.advance / 2 : pos - letter.advance / 2;
        const bool visible = timing.isIn ? Current_Time >= letter.start
                                         : Current_Time <= letter.start + timing.duration;
        if (visible && letter.distance >= 0 && letter.distance <= length)
            DrawLetter(*context, *path, run, letter, timing);
        pos += leftToRight ? letter.advance : -letter.advance;
    }
    context->popLayer();
    context->setTransform(m0);
}

void TRCustomTextRenderer::DrawLetter(DeviceContext& context, const Geometry& path,
                                      const GlyphRun& run, const Letter& letter,
                                      const Timing& timing) {
    PointF point, tangent;
    path.computePointAtLength(letter.distance, point, tangent);
    const float tx = tangent.x, ty = tangent.y;
    const Matrix3x2 rotation{
        tx, ty, -ty, tx, point.x * (1 - tx) + point.y * ty, point.y * (1 - tx) - point.x * ty};
    const GeometryPtr outline = LetterOutline(run, letter.glyphs);
    const Matrix3x2 placement = Matrix3x2::translation(point.x - letter.advance / 2, point.y);

    TRTextAnimationFrame frame;
    frame.Geometry = outline;
    float progress = 1;
    if (timing.animated) {
        const float elapsed = static_cast<float>(Current_Time - letter.start);
        progress = timing.isIn || Current_Time > letter.start ? elapsed / timing.duration : 0;
        if (progress <= 1)
            propTextAnimation->AnimateLetter(
                progress, point.x, point.y, timing.perLine ? timing.lineWidth : letter.advance + 4,
                letter_height, destRect.width(), destRect.height(), frame);
    }
    if (!frame.Geometry)
        return;
    const Matrix3x2 g = placement * rotation * frame.Transform;
    FillBrush->setOpacity(frame.Opacity);
    const GeometryPtr shape = frame.Geometry->transformed(g);

    if (OutlineBrush && OutlineSize > 0) {
        if (frame.OutlineMode == 0 || progress >= 1) {
            OutlineBrush->setOpacity(frame.Opacity);
            context.drawGeometry(*outline->transformed(g), *OutlineBrush, OutlineSize);
        } else if (frame.OutlineMode == 1) {
            context.drawGeometry(*shape, *OutlineBrush, OutlineSize);
        }
    } else if (OutlineSize == 0) {
        if (m_Erase)
            AddToGeometry(shape);
        else
            context.fillGeometry(*shape, *FillBrush);
    }
}

void TRCustomTextRenderer::drawUnderline(DeviceContext* context, PointF baselineOrigin,
                                         const TextDecoration& underline) {
    if (m_Underline)
        DrawLineAlongPath(context, baselineOrigin, underline, m_UnderlineBrush);
}

void TRCustomTextRenderer::drawStrikethrough(DeviceContext* context, PointF baselineOrigin,
                                             const TextDecoration& strikethrough) {
    if (m_Strike)
        DrawLineAlongPath(context, baselineOrigin, strikethrough, m_StrikeBrush);
}

// The line is the stretch of the path under the text: a dash pattern shows only that stretch,
// so the line bends with the letters.
void TRCustomTextRenderer::DrawLineAlongPath(DeviceContext* context, PointF baselineOrigin,
                                             const TextDecoration& line, const BrushPtr& brush) {
    const float t = line.thickness;
    if (!brush || !(t > 0) || !context || m_Erase)
        return;
    const GeometryPtr path = GetPathGeometry(baselineOrigin.y + line.offset + t / 2);
    if (!path)
        return;
    const float length = path->computeLength({}, PathTolerance);
    float s0 = baselineOrigin.x + OffsetOnPath * length;
    float s1 = baselineOrigin.x + line.width + OffsetOnPath * length;
    if (PathType == tpSinusoid) {
        s0 += letter_height;
        s1 += letter_height;
    }
    s0 = std::max(0.f, s0);
    s1 = std::max(s0, s1);
    if (s1 == s0)
        return;
    StrokeStyleProperties props;
    props.dashStyle = DashStyle::Custom;
    // The final gap outlasts the path, so the pattern never repeats.
    std::vector<float> dashes{(s1 - s0) / t, std::max(10000.f, length + 1) / t};
    if (s0 > 0)
        dashes.insert(dashes.begin(), {0, s0 / t});
    const StrokeStylePtr style = StrokeStyle::create(props, std::move(dashes));
    if (style)
        context->drawGeometry(*path, *brush, t, style.get());
}
