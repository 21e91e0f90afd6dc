// The timeline's geometry and painting: ruler, tracks, clips, selection and rubber bands,
// playhead with its insert-time handle, End tab and snap lines.

#include "editor/ui/URTimeline.h"

#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "core/URScenePaint.h"
#include "core/URUtils.h"
#include "core/ui/URStyle.h"
#include "platform/render/ContextState.h"
#include "platform/render/DeviceContext.h"
#include "platform/render/Geometry.h"

#include <QHash>
#include <QPalette>
#include <algorithm>
#include <cmath>

using namespace platform::render;

namespace {

TRTimeline* CurrentTimeline = nullptr;

PointF P(double x, double y) {
    return {float(x), float(y)};
}

RectF R(const QRectF& r) {
    return ToRectF(r);
}

// Delphi's Round: halves to even.
std::int32_t RoundEven(double value) {
    return std::int32_t(std::nearbyint(value));
}

std::shared_ptr<TextFormat> Format(float size, TextAlignment alignment) {
    auto format = TextFormat::create({StyleFontFamily, 400, FontStyle::Normal, size});
    if (format) {
        format->setTextAlignment(alignment);
        format->setParagraphAlignment(ParagraphAlignment::Center);
        format->setWordWrapping(WordWrapping::NoWrap);
    }
    return format;
}

} // namespace

// Brushes, dashes and text formats, made once; ruler labels keep their layouts.
struct TRTimeline::TRResources {
    BrushPtr ruler, track, playhead, selection, selectionLine, red, rectSelection;
    std::shared_ptr<TextFormat> plusMinusFormat;
    QHash<QString, std::shared_ptr<TextLayoutBox>> labels;
};

TRTimeline::TRTimeline(QWidget* parent)
    : SwapChainWidget(parent), FResources(std::make_unique<TRResources>()) {
    setObjectName("Timeline");
    setMouseTracking(true);
    TrackHeight = Scaled(28, this);
    TopSpace = Scaled(30, this);
    LeftSpace = Scaled(17, this);
    const QPalette palette = StylePalette();
    const QColor highlight = palette.color(QPalette::Highlight);
    const QColor face = palette.color(QPalette::Button);
    const QColor text = palette.color(QPalette::ButtonText);
    TRResources& r = *FResources;
    r.ruler = SolidBrush(Qt::white, 1);
    r.track = SolidBrush(QColor(0x20, 0x26, 0x2F), 1);
    r.playhead = SolidBrush(highlight, 0.9f);
    r.selection = SolidBrush(highlight, 0.2f);
    r.selectionLine = SolidBrush(highlight, 0.6f);
    r.red = SolidBrush(Qt::red, 0.8f);
    r.rectSelection = SolidBrush(Qt::white, 0.2f);
    r.plusMinusFormat = Format(9, TextAlignment::Center);
    FControl.m_brush_object = SolidBrush(face, 1);
    FControl.m_brush_back = SolidBrush(text, 0.5f);
    FControl.m_brush_front = SolidBrush(text, 0.8f);
    FControl.m_brush_selected = SolidBrush(highlight, 1);
    FControl.m_brush_stop = SolidBrush(Qt::red, 0.1f);
    StrokeStyleProperties dashed;
    dashed.dashCap = CapStyle::Round;
    dashed.dashStyle = DashStyle::Custom;
    FControl.m_end_strokeStyle = StrokeStyle::create(dashed, {5, 5});
    const float size = 10.0f * float(Scaled(96, this)) / 96;
    FControl.m_ruler_textFormat = Format(size, TextAlignment::Leading);
    FControl.m_object_textFormat = Format(size, TextAlignment::Leading);
    ClearSelection();
    CurrentTimeline = this;
    TimelineControlHook = [] {
        return CurrentTimeline ? static_cast<const TRTimelineControl*>(&CurrentTimeline->FControl)
                               : nullptr;
    };
    TimelineHelperLineHook = [](TRProject& project, std::int32_t time) {
        if (CurrentTimeline && CurrentTimeline->FProject == &project)
            CurrentTimeline->AddNewHelperLine(time);
    };
}

TRTimeline::~TRTimeline() {
    if (CurrentTimeline == this) {
        CurrentTimeline = nullptr;
        TimelineControlHook = nullptr;
        TimelineHelperLineHook = nullptr;
    }
}

void TRTimeline::SetProject(TRProject* project) {
    FProject = project;
    hitObject = nullptr;
    ClearSelection();
}

// ---- state ----

void TRTimeline::AddNewHelperLine(std::int32_t time) {
    if (std::find(HelperLines.begin(), HelperLines.end(), time) == HelperLines.end())
        HelperLines.push_back(time);
}

bool TRTimeline::ClearHelperLines() {
    const bool had = !HelperLines.empty();
    HelperLines.clear();
    return had;
}

void TRTimeline::ClearSelection() {
    SelectionStart = -1;
    SelectionEnd = -1;
    rectHitSelection = QRectF(QPointF(-1, -1), QPointF(-1, -1));
}

bool TRTimeline::ClearRectMultiSelect() {
    const bool extent =
        MultiSelectStart.x() != MultiSelectEnd.x() || MultiSelectStart.y() != MultiSelectEnd.y();
    if (extent)
        MultiSelectStart = MultiSelectEnd = QPointF(0, 0);
    return extent;
}

QRectF TRTimeline::GetRectMultiSelect() const {
    return QRectF(MultiSelectStart, MultiSelectEnd).normalized();
}

bool TRTimeline::IsPlayHeadVisible() const {
    const auto visible = std::int32_t((width() - LeftSpace) * 1000.0 / PixelPS);
    return StartTime <= PlayHead && PlayHead < StartTime + visible;
}

void TRTimeline::SetPlayHeadVisible() {
    const auto visible = std::int32_t((width() - LeftSpace) * 1000.0 / PixelPS);
    if (StartTime <= PlayHead && PlayHead <= StartTime + visible)
        return;
    if (PlayHead < StartTime)
        StartTime = PlayHead;
    else
        StartTime = PlayHead - 500 >= 0 ? PlayHead - 500 : PlayHead;
    update();
}

std::int32_t TRTimeline::TimeAt(double x) const {
    return SnapToFrame(RoundEven((x - LeftSpace) * 1000 / PixelPS) + StartTime);
}

std::int32_t TRTimeline::TrackAt(double y) const {
    // Truncating division: a point just above the first track still gives track 0.
    return std::int32_t(std::trunc((std::trunc(y) + StartY - TopSpace - TrackSpace) /
                                   double(TrackHeight + TrackSpace)));
}

int TRTimeline::VisibleHeight() const {
    return parentWidget() ? parentWidget()->height() : height();
}

std::int32_t TRTimeline::ProjectEnd() const {
    return FProject ? FProject->TimeEnd() : 0;
}

// ---- painting ----

void TRTimeline::renderFrame(const BitmapPtr& backBuffer) {
    DeviceContext* dc = SceneContext();
    if (!dc)
        return;
    ContextStateGuard guard(*dc);
    dc->setTarget(backBuffer);
    dc->beginDraw();
    Paint();
    dc->endDraw();
}

void TRTimeline::SyncControl() {
    FControl.LeftSpace = LeftSpace;
    FControl.TopSpace = TopSpace;
    FControl.TrackSpace = TrackSpace;
    FControl.TrackHeight = TrackHeight;
    FControl.PixelPS = PixelPS;
    FControl.StartX = StartX;
    FControl.StartY = float(StartY);
    FControl.FramePS = FramePS;
    FControl.Width = float(width());
}

void TRTimeline::Paint() {
    if (!SceneContext())
        return;
    DeviceContext& dc = *SceneContext();
    const Matrix3x2 saved = dc.transform();
    dc.setTransform(Matrix3x2::identity());
    dc.clear(ColorF{0x2B / 255.0f, 0x33 / 255.0f, 0x3E / 255.0f, 1});
    PaintRuler();
    SyncControl();
    dc.pushAxisAlignedClip(
        RectF{float(LeftSpace), float(TopSpace), float(width()), float(height())},
        AntialiasMode::Aliased);
    PaintTracks();
    if (FProject) {
        const RectF view{float(LeftSpace), float(TopSpace), float(width()), float(height())};
        for (const auto& object : FProject->Objects()) {
            object->rectTimeline =
                TimelineTimeRect(FControl, object->Track(), object->TimeStart(), object->TimeEnd());
            const QRectF& r = object->rectTimeline;
            // Clips out of sight keep their rectangles for the hit test but cost no drawing.
            if (r.right() + 1 < view.left || r.left() - 1 > view.right ||
                r.bottom() + 1 < view.top || r.top() - 1 > view.bottom)
                continue;
            object->PaintOnTimeline(false);
        }
        if (FProject->MouseOverObject && FProject->MouseOverObject != FProject)
            FProject->MouseOverObject->PaintOnTimeline(true);
    }
    PaintSelection();
    if (dragmscreate) {
        const QRectF band = GetRectMultiSelect();
        if (band.width() > 0 && band.height() > 0)
            dc.fillRectangle(R(band), *FResources->rectSelection);
    }
    dc.popAxisAlignedClip();
    PaintPlayhead();
    PaintEnd();
    PaintHelperLines();
    dc.setTransform(saved);
}

void TRTimeline::PaintLabel(const QString& text, const QRectF& box, bool centred) {
    auto& cache = FResources->labels;
    const TextFormatPtr format =
        centred ? FResources->plusMinusFormat : FControl.m_ruler_textFormat;
    if (!format)
        return;
    const QString key = text + QChar(centred ? 'c' : 'l') + QString::number(box.width()) + 'x' +
                        QString::number(box.height());
    auto found = cache.find(key);
    if (found == cache.end()) {
        if (cache.size() > 512)
            cache.clear();
        found = cache.insert(
            key, TextLayoutBox::create(text, format, float(box.width()), float(box.height())));
    }
    if (*found)
        SceneContext()->drawTextLayout(P(box.left(), box.top()), **found, *FResources->ruler);
}

void TRTimeline::PaintRulerTick(float x, std::int32_t frame, int rise, bool label) {
    DeviceContext& dc = *SceneContext();
    const float foot = float(TopSpace - 2);
    dc.drawLine(P(x, foot), P(x, foot - rise), *FResources->ruler, 0.25f);
    if (label)
        PaintLabel(FormatDuration(frame, FramePS), QRectF(x, 0, Scaled(40, this), Scaled(10, this)),
                   false);
}

void TRTimeline::PaintRuler() {
    DeviceContext& dc = *SceneContext();
    const int u = Scaled(5, this);
    StartX = float(StartTime * double(PixelPS) / 1000);
    dc.fillRectangle(RectF{float(LeftSpace), float(TopSpace - 2), float(width()), float(TopSpace)},
                     *FResources->track);
    const int span = width() - LeftSpace;
    if (PixelPS >= 30) {
        const int a = PixelPS / 30;
        std::int32_t n = RoundEven(StartX / a);
        for (int i = 0; i <= span / a; ++i, ++n) {
            int rise = u;
            if (n % 10 == 0)
                rise = 2 * u;
            if (n % FramePS == 0)
                rise = 3 * u;
            const bool marked = n % 10 == 0 || n % FramePS == 0;
            const bool label = (a > 1 && n % FramePS == 0) || (a == 1 && n % (2 * FramePS) == 0);
            if (a > 1 || marked)
                PaintRulerTick(float(LeftSpace + 0.5 + i * a), n, rise, label);
        }
        return;
    }
    // Below 30 pixels per second a tick per second (16..29) or per four seconds.
    const int every = PixelPS >= 16 ? 1 : 4;
    const double frameWidth = PixelPS / 30.0;
    double offset = 0;
    std::int32_t n = RoundEven(StartX / frameWidth);
    if (StartTime % (1000 * every) > 0) {
        offset = (StartTime % (1000 * every)) * double(PixelPS) / 1000;
        n -= RoundEven(offset / frameWidth);
    }
    for (int i = 0; i <= span / (every * PixelPS); ++i) {
        const double x = LeftSpace + 0.5 - offset + double(i) * every * PixelPS;
        if (x < LeftSpace + 0.5)
            continue;
        const std::int32_t t = n + every * i * FramePS;
        const int rise = t % 1800 == 0 ? 3 * u : u;
        bool label;
        if (every == 1)
            label = (PixelPS >= 20 && t % (2 * FramePS) == 0) ||
                    (PixelPS == 16 && t % (4 * FramePS) == 0);
        else
            label = (PixelPS >= 10 && t % (4 * FramePS) == 0) ||
                    (PixelPS >= 3 && PixelPS <= 7 && t % (12 * FramePS) == 0) ||
                    (PixelPS < 3 && t % (60 * FramePS) == 0);
        PaintRulerTick(float(x), t, rise, label);
    }
}

void TRTimeline::PaintTracks() {
    DeviceContext& dc = *SceneContext();
    for (int i = 0; i < NrTracks; ++i) {
        const float y = float((TrackHeight + TrackSpace) * i + TopSpace + TrackSpace - StartY);
        if (y > height() || y + TrackHeight < TopSpace)
            continue;
        dc.fillRectangle(RectF{float(LeftSpace), y, float(width()), y + float(TrackHeight)},
                         *FResources->track);
    }
}

void TRTimeline::PaintSelection() {
    if (SelectionStart < 0 || SelectionEnd < 0)
        return;
    DeviceContext& dc = *SceneContext();
    const auto xOf = [this](std::int32_t t) {
        return LeftSpace + (t - StartTime) * double(PixelPS) / 1000 + 0.5;
    };
    const double left = xOf(std::min(SelectionStart, SelectionEnd));
    const double right = xOf(std::max(SelectionStart, SelectionEnd));
    rectHitSelection = QRectF(QPointF(left, TopSpace), QPointF(right, height()));
    dc.fillRectangle(R(rectHitSelection), *FResources->selection);
    for (const double x : {left, right})
        dc.drawLine(P(x, TopSpace), P(x, height()), *FResources->selectionLine, 1);
}

void TRTimeline::PaintPlayhead() {
    // Nothing is grabbed where nothing is drawn.
    rectHitPlayhead = rectHitLinePlayhead = rectHitPlusMinus = QRectF();
    if (PlayHead < StartTime)
        return;
    DeviceContext& dc = *SceneContext();
    const double x = LeftSpace + (PlayHead - StartTime) * double(PixelPS) / 1000 + 0.5;
    const double a = PlayheadWidth / 2.0;
    PathBuilder path;
    path.beginFigure(P(x - a, 0));
    const PointF points[] = {P(x + a, 0), P(x + a, 3 * a), P(x, 4 * a), P(x - a, 3 * a)};
    path.addLines(points);
    path.endFigure(FigureEnd::Closed);
    dc.fillGeometry(*path.close(), *FResources->playhead);
    rectHitPlayhead = QRectF(QPointF(x - a, 0), QPointF(x + a, 4 * a));
    dc.drawLine(P(x, 4 * a - 1), P(x, height()), *FResources->playhead, 1);
    rectHitLinePlayhead = QRectF(QPointF(x - 3, TopSpace), QPointF(x + 3, height()));
    if ((FHost && FHost->PlayerRunning()) || MovingPlayhead())
        return;
    const int h = VisibleHeight();
    const int s = Scaled(17, this);
    rectHitPlusMinus = QRectF(QPointF(x, h - s - 20), QPointF(x + 20, h - s - 3));
    dc.fillRoundedRectangle({R(rectHitPlusMinus), 3, 3}, *FResources->playhead);
    PaintLabel(QStringLiteral("|||"), rectHitPlusMinus, true);
}

void TRTimeline::PaintEnd() {
    rectHitEnd = QRectF();
    if (!FProject || ProjectEnd() < StartTime)
        return;
    DeviceContext& dc = *SceneContext();
    const double x = LeftSpace + (ProjectEnd() - StartTime) * double(PixelPS) / 1000;
    const double k = Scaled(96, this) / 96.0;
    const double top = VisibleHeight() / 2.0;
    rectHitEnd = QRectF(QPointF(x, top), QPointF(x + 30 * k, top + 20 * k));
    const RoundedRect tab{R(rectHitEnd), 3, 3};
    dc.drawRoundedRectangle(tab, *FResources->playhead, 1);
    dc.fillRoundedRectangle(tab, *FResources->playhead);
    PaintLabel(QStringLiteral("End"), QRectF(QPointF(x + 5 * k, top), rectHitEnd.bottomRight()),
               false);
    dc.drawLine(P(x, TopSpace + 1), P(x, height()), *FResources->playhead, 1,
                FControl.m_end_strokeStyle.get());
}

void TRTimeline::PaintHelperLines() {
    DeviceContext& dc = *SceneContext();
    for (const std::int32_t t : HelperLines) {
        const double x = std::trunc(LeftSpace + (t - StartTime) * double(PixelPS) / 1000) + 0.5;
        if (x < LeftSpace) // a time before the view: no line in the margin
            continue;
        dc.drawLine(P(x, TopSpace - 17), P(x, height()), *FResources->red, 2);
    }
}
