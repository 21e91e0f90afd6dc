// An object's clip on the timeline: its painting (body, transition ramps, thumbnail, caption,
// keyframe brackets, media marks), the rectangles it leaves for the hit test, the hit test and
// the tooltip.

#include "core/URTimelineClip.h"

#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URUtils.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Geometry.h"

#include <algorithm>
#include <cmath>

using namespace platform::render;

TRTimelineControlFn TimelineControlHook = nullptr;

const TRTimelineControl* TimelineControl() {
    return TimelineControlHook ? TimelineControlHook() : nullptr;
}

QRectF TimelineTimeRect(const TRTimelineControl& c, std::int32_t track, std::int32_t t0,
                        std::int32_t t1) {
    const auto left = static_cast<float>(c.LeftSpace + double(t0) * c.PixelPS / 1000);
    const auto x = static_cast<std::int32_t>(static_cast<float>(left - c.StartX));
    const auto top = static_cast<float>(std::int64_t{c.TrackHeight + c.TrackSpace} * track +
                                        c.TopSpace + c.TrackSpace);
    const auto y = static_cast<std::int32_t>(top - c.StartY);
    const auto width = static_cast<std::int32_t>((double(t1) - t0) * c.PixelPS / 1000.0);
    return {x + 0.5, y + 0.5, double(width), double(c.TrackHeight)};
}

namespace {

constexpr float HitTolerance = 3.0f;
constexpr double Unset = -10000;

PointF P(double x, double y) {
    return {static_cast<float>(x), static_cast<float>(y)};
}

// The ramp of a transition zone: rising into the clip (in) or falling out of it (out).
GeometryPtr Ramp(const QRectF& z, bool in) {
    PathBuilder path;
    const double mid = z.bottom() + (z.top() - z.bottom()) / 6;
    if (in) {
        path.beginFigure(P(z.left(), z.bottom() - 2));
        path.addBezier({P(z.left(), z.bottom() - 2), P(z.left() + z.width() * 3 / 4, mid),
                        P(z.right(), z.top() + 2)});
        path.addLine(P(z.right(), z.bottom() - 2));
    } else {
        path.beginFigure(P(z.left(), z.bottom() - 2));
        path.addLine(P(z.left(), z.top() + 2));
        path.addBezier({P(z.left(), z.top() + 2), P(z.left() + z.width() / 4, mid),
                        P(z.right(), z.bottom() - 2)});
    }
    path.endFigure(FigureEnd::Closed);
    return path.close();
}

void Line(DeviceContext& dc, double x0, double y0, double x1, double y1, const Brush& brush,
          float width = 1.0f, const StrokeStyle* style = nullptr) {
    dc.drawLine(P(x0, y0), P(x1, y1), brush, width, style);
}

// The brackets of a keyframe animation and, when there is room, its bow-tie handle.
void PaintKeyframe(DeviceContext& dc, const QRectF& r, const Brush& pen, const Brush& tie) {
    const double l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    Line(dc, l, t + 2, l, b - 2, pen);
    Line(dc, l, t + 2, l + 4, t + 2, pen);
    Line(dc, l, b - 2, l + 4, b - 2, pen);
    Line(dc, rt, t + 2, rt, b - 2, pen);
    Line(dc, rt - 4, t + 2, rt, t + 2, pen);
    Line(dc, rt - 4, b - 2, rt, b - 2, pen);
    if (rt - l < 16)
        return;
    const double hl = l + (rt - l - 14) / 2;
    const double ht = t + (b - t - 14) / 2;
    const double mx = hl + 7, my = ht + 7;
    Line(dc, l, my, hl, my, pen);
    Line(dc, hl + 14, my, rt, my, pen);
    PathBuilder path;
    path.beginFigure(P(hl, ht + 14));
    const PointF points[] = {P(hl, ht), P(mx, my - 1), P(hl + 14, ht), P(hl + 14, ht + 14),
                             P(mx, my + 1)};
    path.addLines(points);
    path.endFigure(FigureEnd::Closed);
    dc.fillGeometry(*path.close(), tie);
}

bool IsSoundOrVideo(TRObjectType type) {
    return type == otVideo || type == otScreenRecorder || type == otAudio || type == otAudioTTS;
}

// One clip of the timeline in the control's drawing pass.
class TRClipPainter {
public:
    TRClipPainter(TRObject& object, const TRTimelineControl& control, DeviceContext& dc)
        : o(object), c(control), dc(dc),
          selected(object.Project() && object.Project()->SelectedObject == &object) {}

    void Paint() {
        const RoundedRect box{ToRectF(o.rectTimeline), 3, 3};
        dc.fillRoundedRectangle(box, o.GetVideoAction() != 0 ? *c.m_brush_stop : *c.m_brush_object);
        if (selected)
            dc.drawRoundedRectangle(box, *c.m_brush_front, 0.5f);
        else if (!o.MultiSelect())
            dc.drawRoundedRectangle(box, *c.m_brush_back, 0.25f);
        else
            dc.drawRoundedRectangle(box, *c.m_brush_selected, 1.0f);
        o.PaintWaveForm();
        avail = o.rectTimeline.width() - 6;
        x = o.rectTimeline.left() + 3;
        TransitionIn();
        Thumbnail();
        Caption();
        TransitionOut();
        Keyframes();
        CurrentSpan();
        MediaMarks();
        Clicks();
    }

private:
    QRectF Span(std::int32_t t0, std::int32_t t1) const {
        return TimelineTimeRect(c, o.Track(), t0, t1);
    }
    const Brush& Front() const { return selected ? *c.m_brush_front : *c.m_brush_back; }

    void TransitionIn() {
        if (!o.TrIn()->Checked()) {
            o.rectTrIn.setRight(Unset);
            return;
        }
        o.rectTrIn = Span(o.TimeStart(), o.TimeStart() + o.TrIn()->FDuration);
        if (o.rectTrIn.width() >= avail)
            return;
        dc.fillGeometry(*Ramp(o.rectTrIn, true), Front());
        avail -= o.rectTrIn.width();
        x = o.rectTrIn.right() + 3;
    }

    void Thumbnail() {
        if (!o.FBitmap)
            return;
        const SizeU size = o.FBitmap->pixelSize();
        if (size.height == 0)
            return;
        const double scale = double(c.TrackHeight - 6) / size.height;
        double tw = std::nearbyint(size.width * scale);
        const QRectF& box = o.rectTimeline;
        if (tw < avail && !selected)
            dc.drawBitmap(
                *o.FBitmap,
                RectF{float(x), float(box.top() + 3), float(x + tw), float(box.bottom() - 3)},
                0.75f, Interpolation::Linear);
        tw += 2;
        avail -= tw;
        x += tw;
    }

    void Caption() {
        if (avail <= 10 || selected || !c.m_ruler_textFormat || !c.m_object_textFormat)
            return;
        QString text = o.GetText();
        if (!text.isEmpty())
            text = QStringLiteral(": ") + text;
        text.prepend(o.ObjectName());
        text.replace('\r', ' ').replace('\n', ' ');
        const bool top = o.ObjectType() == otAudio || o.ObjectType() == otAudioTTS ||
                         o.ObjectType() == otCaption;
        TextFormat& format = *c.m_object_textFormat;
        if (top)
            format.setParagraphAlignment(ParagraphAlignment::Near);
        const QRectF& box = o.rectTimeline;
        const auto layout = TextLayoutBox::create(text, c.m_object_textFormat, float(avail),
                                                  float(box.height() - 2));
        if (layout)
            dc.drawTextLayout(P(x, box.top()), *layout, *c.m_brush_back, true);
        if (top)
            format.setParagraphAlignment(ParagraphAlignment::Center);
    }

    void TransitionOut() {
        if (!o.TrOut()->Checked()) {
            o.rectTrOut.setLeft(Unset);
            return;
        }
        o.rectTrOut = Span(o.TimeEnd() - o.TrOut()->FDuration, o.TimeEnd());
        dc.fillGeometry(*Ramp(o.rectTrOut, false), Front());
    }

    void Keyframes() {
        const auto count = static_cast<std::int32_t>(o.Transformations().size());
        for (std::int32_t i = 1; i < count; ++i) {
            TRTransformation& key = o.TransformationAt(i);
            key.rectTransf =
                Span(o.TimeStart() + key.Time - key.AnimateDuration, o.TimeStart() + key.Time);
            const bool current = selected && i == o.hitTransfIndex;
            PaintKeyframe(dc, key.rectTransf, Front(), current ? *c.m_brush_selected : Front());
        }
    }

    void CurrentSpan() {
        const auto& keys = o.Transformations();
        const std::int32_t k = o.LastIndexShowProperties;
        if (!selected || k < 0 || k >= static_cast<std::int32_t>(keys.size()))
            return;
        const bool last = k + 1 == static_cast<std::int32_t>(keys.size());
        const std::int32_t e =
            last ? o.TimeEnd() : o.TimeStart() + keys[k + 1].Time - keys[k + 1].AnimateDuration;
        dc.drawRectangle(ToRectF(Span(o.TimeStart() + keys[k].Time, e)), *c.m_brush_selected, 1.0f);
    }

    void MediaMarks() {
        if (!IsSoundOrVideo(o.ObjectType()))
            return;
        const std::int32_t duration = o.MediaDuration();
        std::int32_t t = o.TimeStart() + duration;
        const Brush& back = *c.m_brush_back;
        const StrokeStyle* dash = c.m_end_strokeStyle.get();
        if (o.TimeStart() < t && t < o.TimeEnd()) {
            const QRectF r = Span(t, o.TimeEnd());
            Line(dc, r.left(), r.top() + 2, r.left(), r.bottom() - 2, back, 1.0f, dash);
            if (o.LoopAnimation) {
                for (t += duration; duration > 0 && t < o.TimeEnd(); t += duration) {
                    const QRectF m = Span(t, t);
                    Line(dc, m.left(), m.top() + 2, m.left(), m.bottom() - 2, back, 1.0f, dash);
                }
                return;
            }
            if (o.ObjectType() == otAudio || o.ObjectType() == otAudioTTS || r.width() <= 14)
                return;
            const double cx = (r.left() + r.right()) / 2, cy = (r.top() + r.bottom()) / 2;
            dc.drawEllipse({P(cx, cy), 7, 7}, back, 1.0f);
            Line(dc, cx - 2, cy - 3, cx - 2, cy + 3, back, 2.0f);
            Line(dc, cx + 2, cy - 3, cx + 2, cy + 3, back, 2.0f);
            Line(dc, r.left(), cy, cx - 7, cy, back, 1.0f, dash);
            Line(dc, cx + 7, cy, r.right(), cy, back, 1.0f, dash);
        } else if (c.FramePS > 0 && t > o.TimeEnd() + 1000 / c.FramePS) {
            const QRectF r =
                Span(static_cast<std::int32_t>(o.TimeEnd() - 2000.0 / c.FramePS), o.TimeEnd());
            PathBuilder path;
            path.beginFigure(P(r.left(), r.bottom() - 4));
            const PointF points[] = {P(r.left(), r.top() + 4),
                                     P(r.right(), (r.top() + r.bottom()) / 2)};
            path.addLines(points);
            path.endFigure(FigureEnd::Closed);
            dc.fillGeometry(*path.close(), back);
        }
    }

    // A dot per mouse click inside the media window; the clicks are found by a binary search
    // and the walk ends past the window or the clip, so only the shown clicks cost.
    void Clicks() {
        const std::span<const std::int32_t> clicks = o.CursorClickTimes();
        for (auto click = std::lower_bound(clicks.begin(), clicks.end(), o.MediaStart());
             click != clicks.end() && *click <= o.MediaEnd(); ++click) {
            const std::int32_t tc =
                o.TimeStart() + o.MediaSpeed()->ScaleDuration(*click - o.MediaStart());
            if (tc > o.TimeEnd())
                break;
            const QRectF r = Span(tc, tc);
            if (0 < r.left() && r.left() < c.Width)
                dc.fillEllipse({P(r.center().x(), r.center().y()), 4, 4}, *c.m_brush_back);
        }
    }

    TRObject& o;
    const TRTimelineControl& c;
    DeviceContext& dc;
    const bool selected;
    double avail = 0;
    double x = 0;
};

bool Near(double value, double edge) {
    return edge - HitTolerance < value && value < edge + HitTolerance;
}

} // namespace

void TRObject::PaintOnTimeline(bool mouseOver) {
    const TRTimelineControl* control = TimelineControl();
    DeviceContext* dc = SceneContext();
    if (!control || !dc || !control->m_brush_object || !control->m_brush_back ||
        !control->m_brush_front || !control->m_brush_selected || !control->m_brush_stop)
        return;
    rectTimeline = TimelineTimeRect(*control, FTrack, FTimeStart, FTimeEnd);
    if (mouseOver) {
        if (!FProject || FProject->SelectedObject != this)
            dc->drawRoundedRectangle({ToRectF(rectTimeline), 3, 3}, *control->m_brush_front, 0.5f);
        return;
    }
    TRClipPainter(*this, *control, *dc).Paint();
}

TRHitTimeline TRObject::TestHitOnTimeline(int x, int y) {
    const double px = x, py = y;
    const QRectF& r = rectTimeline;
    const bool inBand = r.top() < py && py < r.bottom();
    if (r.left() < px && px < r.right() && inBand) {
        if (Near(px, rectTrIn.right()))
            return htTrIn;
        if (Near(px, rectTrOut.left()))
            return htTrOut;
        for (std::size_t i = 1; i < FTransformations.size(); ++i) {
            const QRectF& k = FTransformations[i].rectTransf;
            TRHitTimeline hit = htNone;
            if (Near(px, k.right()))
                hit = htObjTransfRight;
            else if (Near(px, k.left()))
                hit = htObjTransfLeft;
            else if (k.left() < px && px < k.right())
                hit = htObjTransf;
            if (hit != htNone) {
                hitTransfIndex = static_cast<std::int32_t>(i);
                return hit;
            }
        }
        return htObject;
    }
    if (inBand && FCanResizeTimeline) {
        if (Near(px, r.left()))
            return htObjectLeft;
        if (Near(px, r.right()))
            return htObjectRight;
    }
    return htNone;
}

QString TRObject::HintTimeline() const {
    QString hint = FObjectName + "\n\r";
    QString text = GetText();
    if (!text.isEmpty()) {
        text.replace('\r', ' ').replace('\n', ' ');
        if (text.size() > 30)
            text = text.left(30) + "...";
        hint += text + "\n\r";
    }
    return hint + FormatTimeFrames(FTimeStart) + " - " + FormatTimeFrames(FTimeEnd);
}
