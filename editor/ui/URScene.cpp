#include "editor/ui/URScene.h"

#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "graphics/URDX12Base.h"

#include <QApplication>
#include <QPainterPath>
#include <QPalette>
#include <cmath>

using namespace platform::render;

namespace {

constexpr ColorF Surrounding{32 / 255.0f, 38 / 255.0f, 47 / 255.0f, 1};
constexpr float CellSize = 16;

ColorF Opaque(const QColor& color, float opacity = 1) {
    return {float(color.redF()), float(color.greenF()), float(color.blueF()), opacity};
}

PointF ToPointF(QPointF p) {
    return {float(p.x()), float(p.y())};
}

// The dark cells of a checkerboard of 16-unit cells over the frame of width x height centred
// on the origin; the top-left cell is light and the last column and row are cut to the frame.
GeometryPtr DarkCells(int width, int height) {
    QPainterPath path;
    const double left = -width / 2.0, top = -height / 2.0;
    for (int row = 0; row * CellSize < height; ++row)
        for (int column = (row + 1) % 2; column * CellSize < width; column += 2) {
            const double x = column * CellSize, y = row * CellSize;
            path.addRect(left + x, top + y, std::min<double>(CellSize, width - x),
                         std::min<double>(CellSize, height - y));
        }
    return Geometry::fromPath(path);
}

// The canvas whose ComputeHelperLines is running: the project hands it its guides.
TRScene* GuideReceiver = nullptr;

} // namespace

QColor SceneHighlightColor() {
    return QApplication::palette().color(QPalette::Highlight);
}

QColor SceneRedColor() {
    return QColor(232, 17, 35);
}

StrokeStylePtr SceneDashes() {
    StrokeStyleProperties props;
    props.dashCap = CapStyle::Square;
    props.dashStyle = DashStyle::Custom;
    return StrokeStyle::create(props, {3, 3});
}

TRScene::TRScene(QWidget* owner)
    : TRCustomControl(owner), FLineBrush(SolidColorBrush::create({1, 1, 1, 1})),
      FRedLineBrush(SolidColorBrush::create(Opaque(SceneRedColor(), 0.8f))),
      FLightCells(SolidColorBrush::create({202 / 255.0f, 202 / 255.0f, 202 / 255.0f, 1})),
      FDarkCells(SolidColorBrush::create({71 / 255.0f, 71 / 255.0f, 71 / 255.0f, 1})),
      FDashes(SceneDashes()), FSelectionTool(*this) {
    setObjectName("Scene");
    resize(100, 100);
}

TRScene::~TRScene() {
    if (GuideReceiver == this)
        GuideReceiver = nullptr;
}

void TRScene::SetProject(TRProject* project) {
    FProject = project;
    drag = dragms = dragmscreate = false;
    hit = hsNone;
    hitObject = nullptr;
    HelperLines_.clear();
    FSelectionTool.SetObject(nullptr);
    FollowSelection();
    update();
}

float TRScene::GetDesignScale() const {
    if (!FProject)
        return 1;
    const float s = FProject->InterfaceOptions.DesignScale;
    return s > 0 && s <= 2 ? s : 1;
}

// Cheap enough for every paint and press: the handles always match the placement, the zoom
// and the selection, whoever changed them.
void TRScene::FollowSelection() {
    TRObject* selected = FProject ? FProject->SelectedObject : nullptr;
    FSelectionTool.SetObject(selected == FProject ? nullptr : selected);
}

Matrix3x2 TRScene::ViewTransform() const {
    const float s = GetDesignScale();
    return Matrix3x2::scale(s, s) * Matrix3x2::translation(float(std::trunc(width() / 2.0)),
                                                           float(std::trunc(height() / 2.0)));
}

// ---- snap guides ----

void TRScene::AddNewHelperLine(float ax, float ay, float bx, float by, float snapX, float snapY,
                               bool selected) {
    HelperLines_.push_back({QPointF(ax, ay), QPointF(bx, by), snapX, snapY, selected});
}

bool TRScene::ClearHelperLines() {
    const bool had = !HelperLines_.empty();
    HelperLines_.clear();
    return had;
}

void TRScene::ComputeHelperLines() {
    if (!FProject)
        return;
    const TRSceneHelperLineFn saved = SceneHelperLineHook;
    GuideReceiver = this;
    SceneHelperLineHook = [](TRProject&, const TRSceneHelperLine& line) {
        if (GuideReceiver)
            GuideReceiver->AddNewHelperLine(float(line.From.x()), float(line.From.y()),
                                            float(line.To.x()), float(line.To.y()), line.SnapX,
                                            line.SnapY, line.Selected);
    };
    FProject->ComputeSceneHelperLines();
    SceneHelperLineHook = saved;
    GuideReceiver = nullptr;
}

// ---- painting ----

void TRScene::Paint() {
    DeviceContext* dc = D2DContext.get();
    if (!dc)
        return;
    const Matrix3x2 saved = dc->transform();
    if (!FProject) {
        dc->clear(Surrounding);
        return;
    }
    FollowSelection();
    mtransform = ViewTransform();
    PaintBackdrop(*dc);
    const BitmapPtr& target = dc->target();
    if (!FTargetProject || FTargetProject->pixelSize() != target->pixelSize())
        FTargetProject =
            Bitmap::create(target->pixelSize(), {AlphaMode::Premultiplied, target->dpiX(),
                                                 target->dpiY(), BitmapOptions::Target});
    if (FTargetProject) {
        PaintProject();
        const float cx = float(std::trunc(width() / 2.0)), cy = float(std::trunc(height() / 2.0));
        dc->setTransform(Matrix3x2::translation(cx, cy));
        dc->drawBitmap(*FTargetProject, RectF{-cx, -cy, float(width()) - cx, float(height()) - cy},
                       1, Interpolation::Cubic);
    }
    mtransform = ViewTransform();
    dc->setTransform(saved);
}

// The checkerboard is thousands of cells: it is painted again only when the view changed, and
// copied in otherwise.
void TRScene::PaintBackdrop(DeviceContext& dc) {
    const BitmapPtr target = dc.target();
    std::int32_t w = 0, h = 0;
    FProject->GetProjectSize(w, h);
    const TRBackdropKey key{target->pixelSize(), target->dpiX(), target->dpiY(), mtransform,
                            QSize(w, h)};
    if (!FBackdrop || key != FBackdropKey) {
        FBackdrop = Bitmap::create(
            key.Size, {target->alphaMode(), key.DpiX, key.DpiY, BitmapOptions::Target});
        FBackdropKey = key;
        if (!FBackdrop)
            return;
        dc.endDraw();
        dc.setTarget(FBackdrop);
        dc.beginDraw();
        dc.clear(Surrounding);
        dc.setTransform(mtransform);
        PaintCheckerboard();
        dc.endDraw();
        dc.setTarget(target);
        dc.beginDraw();
    }
    target->copyFromBitmap({0, 0}, *FBackdrop);
    dc.setTransform(mtransform);
}

void TRScene::PaintCheckerboard() {
    std::int32_t w = 0, h = 0;
    FProject->GetProjectSize(w, h);
    if (w <= 0 || h <= 0)
        return;
    if (!FDarkGeometry || FCheckerSize != QSize(w, h)) {
        FDarkGeometry = DarkCells(w, h);
        FCheckerSize = QSize(w, h);
    }
    DeviceContext& dc = *D2DContext;
    dc.fillRectangle(RectF{-w / 2.0f, -h / 2.0f, w / 2.0f, h / 2.0f}, *FLightCells);
    dc.fillGeometry(*FDarkGeometry, *FDarkCells);
}

void TRScene::PaintProject() {
    DeviceContext& dc = *D2DContext;
    const BitmapPtr control = dc.target();
    dc.endDraw();
    dc.setTarget(FTargetProject);
    dc.beginDraw();
    dc.setTransform(mtransform);
    FProject->PaintOnScene(false, true, true, nullptr);
    if (TRObject* hovered = FProject->MouseOverObject)
        hovered->PaintOnScene(true, true);
    FSelectionTool.PaintOnScene();
    FProject->PaintMultiSelectOnScene();
    PaintHelperLines();
    dc.endDraw();
    dc.setTarget(control);
    dc.beginDraw();
}

void TRScene::PaintHelperLines() {
    const float s = GetDesignScale();
    for (const TRHelperLine& line : HelperLines_)
        PaintHelperLine(line, s);
}

// A guide is white when its ends are lined up on neither axis, else red. A keyframe path is a
// solid line under red dashes with a dot at its start and, when it is long enough, an
// arrowhead and a dot at its end.
void TRScene::PaintHelperLine(const TRHelperLine& line, float s) {
    DeviceContext& dc = *D2DContext;
    const Brush& colour = line.SnapX != 0 && line.SnapY != 0 ? *FLineBrush : *FRedLineBrush;
    const PointF a = ToPointF(line.PointA), b = ToPointF(line.PointB);
    if (!line.Selected) {
        dc.drawLine(a, b, colour, 2 / s);
        return;
    }
    if (line.PointA == line.PointB)
        return;
    dc.drawLine(a, b, colour, 2 / s);
    dc.drawLine(a, b, *FRedLineBrush, 1 / s, FDashes.get());
    const Ellipse start{a, 3 / s, 3 / s};
    dc.fillEllipse(start, colour);
    dc.drawEllipse(start, *FRedLineBrush, 1 / s);
    const QPointF d = line.PointB - line.PointA;
    if (std::abs(d.x()) < 15 && std::abs(d.y()) < 15)
        return;
    double length = std::hypot(d.x(), d.y());
    if (length == 0)
        length = 1;
    const QPointF unit = d / length;
    const PointF p5 = ToPointF(line.PointB - unit * 5);
    const PointF p20 = ToPointF(line.PointB - unit * 20);
    QPainterPath head(QPointF(p5.x, p5.y));
    for (float angle : {-22.0f, 22.0f}) {
        const PointF wing = Matrix3x2::rotation(angle, p5).transformPoint(p20);
        head.lineTo(wing.x, wing.y);
    }
    head.closeSubpath();
    const GeometryPtr arrow = Geometry::fromPath(head);
    dc.fillGeometry(*arrow, colour);
    dc.drawGeometry(*arrow, *FRedLineBrush, 1 / s, FDashes.get());
    const Ellipse end{b, 5 / s, 5 / s};
    dc.fillEllipse(end, colour);
    dc.drawEllipse(end, *FRedLineBrush, 1 / s);
}
