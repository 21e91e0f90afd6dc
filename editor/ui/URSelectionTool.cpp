#include "editor/ui/URSelectionTool.h"

#include "core/URProject.h"
#include "editor/ui/URScene.h"
#include "objects/URPropShape.h"
#include "objects/URPropTextPath.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSvgRenderer>
#include <cmath>

using namespace platform::render;

namespace {

// A curved arrow around a dot, white with a dark rim so it shows on every picture.
constexpr char RotateCursorSvg[] =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
<g fill="none" stroke-linecap="round" stroke-linejoin="round">
<path d="M24.5 11.5 A10 10 0 1 0 26 18" stroke="#000" stroke-width="5"/>
<path d="M24.5 11.5 A10 10 0 1 0 26 18" stroke="#fff" stroke-width="2.5"/>
</g>
<path d="M27.5 4.5 L27.5 14 L18 14 Z" fill="#fff" stroke="#000" stroke-width="1.5"
 stroke-linejoin="round"/>
<circle cx="16" cy="16" r="2.5" fill="#fff" stroke="#000" stroke-width="1.2"/>
</svg>)";

// The handle's point before projection (scene units relative to the object's centre).
QPointF LayoutPoint(const TRHandleLayoutRow& row, QSizeF outline, float s) {
    return {row.XF * outline.width() + row.XO * 8 / s, row.YF * outline.height() + row.YO * 8 / s};
}

// A point relative to the placement's centre turned and seen in perspective about the frame's
// centre, relative to the centre again.
QPointF Project(const Matrix4x4& m, QPointF p, QPointF position) {
    const double x = p.x(), y = p.y();
    const double w =
        std::max(x * m.m[0][3] + y * m.m[1][3] + m.m[3][3], double(TRPropPlacement::MinProjectedW));
    return {(x * m.m[0][0] + y * m.m[1][0] + m.m[3][0]) / w - position.x(),
            (x * m.m[0][1] + y * m.m[1][1] + m.m[3][1]) / w - position.y()};
}

GeometryPtr ClosedPath(const QPointF* points) {
    QPainterPath path(points[0]);
    for (int i = 1; i < 4; ++i)
        path.lineTo(points[i]);
    path.closeSubpath();
    return Geometry::fromPath(path);
}

ColorF ToColorF(const QColor& color, float opacity = 1) {
    return {float(color.redF()), float(color.greenF()), float(color.blueF()), opacity};
}

} // namespace

QCursor RotateCursor() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QSvgRenderer svg(QByteArray::fromRawData(RotateCursorSvg, sizeof RotateCursorSvg - 1));
    QPainter painter(&pixmap);
    svg.render(&painter);
    painter.end();
    return QCursor(pixmap, 16, 16);
}

TRHitScene TRHandle::TestHitOnScene(int x, int y, const Matrix3x2* matrix) const {
    return Visible ? Placement.TestHitOnScene(x, y, matrix, 0) : hsNone;
}

TRSelectionTool::TRSelectionTool(TRScene& scene)
    : FScene(scene), FWhite(SolidColorBrush::create({1, 1, 1, 1})),
      FHighlight(SolidColorBrush::create(ToColorF(SceneHighlightColor()))),
      FRed(SolidColorBrush::create(ToColorF(SceneRedColor()), 0.8f)), FDashes(SceneDashes()) {
    for (std::size_t i = 0; i < FHandles.size(); ++i) {
        FHandles[i].HandleType = HandleLayout[i].Type;
        if (HandleLayout[i].Cursor != Qt::BitmapCursor)
            FHandles[i].Cursor = QCursor(HandleLayout[i].Cursor);
    }
    FHandles[RotationKnob].Cursor = RotateCursor();
}

TRPropPlacement* TRSelectionTool::Placement() const {
    return FActiveObject ? FActiveObject->Get<TRPropPlacement>(ptPlacement) : nullptr;
}

void TRSelectionTool::SetObject(TRObject* object) {
    FActiveObject = object && object->HasPlacement() ? object : nullptr;
    if (FActiveObject && !Placement())
        FActiveObject = nullptr;
    UpdateHandles();
}

void TRSelectionTool::UpdateHandles() {
    if (!FActiveObject)
        return;
    FActiveObject->LastIndexForHandles = FActiveObject->TransformationsIndex();
    const float delta = FActiveObject->GetDeltaBorder();
    const TRPropPlacement* p = Placement();
    if (!p)
        return;
    const float s = FScene.GetDesignScale();
    const QSizeF size = p->GetScaledSize();
    const QSizeF outline(size.width() + 2 * delta, size.height() + 2 * delta);
    Matrix4x4 projection;
    const bool rotated = p->HasRotations();
    if (rotated)
        projection = p->GetRotationsMatrix() *
                     Matrix4x4::translation(float(p->FPosition.x()), float(p->FPosition.y()), 0) *
                     Matrix4x4::perspectiveProjection(TRPropPlacement::ProjectionDepth);
    for (std::size_t i = 0; i < FHandles.size(); ++i) {
        TRHandle& handle = FHandles[i];
        QPointF point = LayoutPoint(HandleLayout[i], outline, s);
        if (rotated && handle.HandleType != TRHandleType::htCenter)
            point = Project(projection, point, p->FPosition);
        handle.Placement.FPosition = point;
        handle.Visible = true;
        if (handle.HandleType == TRHandleType::htCenter) {
            handle.Placement.FSize = QSizeF(outline.width() + 16 / s, outline.height() + 16 / s);
            handle.Placement.FRotationX = p->FRotationX;
            handle.Placement.FRotationY = p->FRotationY;
            handle.Placement.FRotationZ = p->FRotationZ;
            for (int corner = 0; corner < 4; ++corner)
                handle.Points[corner] = FHandles[2 * corner].Placement.FPosition;
            UpdateTextBox(handle, *p, rotated ? &projection : nullptr);
        } else {
            handle.Placement.FSize = QSizeF(16 / s, 16 / s);
        }
    }
    FHandles[RotationKnob].Points[0] = FHandles[1].Placement.FPosition;
    for (std::size_t i = 0; i < FHandles.size(); ++i) {
        if (p->FLocked)
            FHandles[i].Visible = i == BodyHandle;
        else if (p->FAspectRatio)
            FHandles[i].Visible =
                FHandles[i].HandleType != TRHandleType::htCorner && i != 1 && i != 5;
    }
}

void TRSelectionTool::UpdateTextBox(TRHandle& body, const TRPropPlacement& placement,
                                    const Matrix4x4* projection) {
    for (int i = 4; i < 8; ++i)
        body.Points[i] = QPointF();
    const TRObjectType type = FActiveObject->ObjectType();
    TRPropertyType shapeType = ptShape;
    if (type == otImage || type == otVideo || type == otScreenRecorder) {
        const TRPropBase* text = FActiveObject->GetProperty(ptText);
        if (!text || !text->Checked())
            return;
        shapeType = ptMask;
    } else if (type != otText) {
        return;
    }
    const auto* shape = FActiveObject->Get<TRPropShape>(shapeType);
    const auto* path = FActiveObject->Get<TRPropTextPath>(ptTextPath);
    if (!shape || !path)
        return;
    const QRectF r = shape->GetTextRectangle(placement.GetBoundsRect())
                         .adjusted(path->FMLeft, path->FMTop, -path->FMRight, -path->FMBottom);
    const std::array<QPointF, 4> corners{r.topLeft(), r.topRight(), r.bottomRight(),
                                         r.bottomLeft()};
    for (int i = 0; i < 4; ++i)
        body.Points[4 + i] =
            projection ? Project(*projection, corners[i], placement.FPosition) : corners[i];
}

void TRSelectionTool::PaintOnScene() {
    DeviceContext* dc = SceneContext();
    if (!dc || !FActiveObject || ScenePlaybackActive())
        return;
    if (FActiveObject->LastIndexForHandles != FActiveObject->TransformationsIndex())
        UpdateHandles();
    const TRPropPlacement* p = Placement();
    if (!p)
        return;
    const float s = FScene.GetDesignScale();
    const bool animating = FActiveObject->InAnimation();
    const Matrix3x2 saved = dc->transform();
    dc->setTransform(p->GetTransformMatrix() * saved);
    for (int i = BodyHandle; i >= 0; --i) {
        const TRHandle& handle = FHandles[std::size_t(i)];
        if (!handle.Visible)
            continue;
        if (i == BodyHandle)
            PaintBody(handle, animating || p->FLocked, s);
        else if (!animating)
            PaintKnob(handle, s);
    }
    dc->setTransform(saved);
}

void TRSelectionTool::PaintBody(const TRHandle& handle, bool redOnly, float s) {
    DeviceContext& dc = *SceneContext();
    const GeometryPtr outline = ClosedPath(handle.Points.data());
    if (redOnly) {
        dc.drawGeometry(*outline, *FRed, 2 / s);
        return;
    }
    dc.drawGeometry(*outline, *FWhite, 2 / s);
    dc.drawGeometry(*outline, *FHighlight, 2 / s, FDashes.get());
    const QPointF* box = handle.Points.data() + 4;
    if (box[0].x() == box[1].x() || box[0].y() == box[2].y())
        return;
    const GeometryPtr text = ClosedPath(box);
    dc.drawGeometry(*text, *FWhite, 1 / s);
    dc.drawGeometry(*text, *FRed, 1 / s, FDashes.get());
}

void TRSelectionTool::PaintKnob(const TRHandle& handle, float s) {
    DeviceContext& dc = *SceneContext();
    const QPointF at = handle.Placement.FPosition;
    const PointF centre{float(at.x()), float(at.y())};
    if (handle.HandleType == TRHandleType::htRotation) {
        const PointF anchor{float(handle.Points[0].x()), float(handle.Points[0].y())};
        dc.drawLine(centre, anchor, *FWhite, 2 / s);
        dc.drawLine(centre, anchor, *FHighlight, 2 / s, FDashes.get());
    }
    const Ellipse circle{centre, 5 / s, 5 / s};
    dc.fillEllipse(circle, *FHighlight);
    dc.drawEllipse(circle, *FWhite, 2 / s);
}

bool TRSelectionTool::TestHitOnScene(int x, int y, const Matrix3x2& matrix) {
    const TRPropPlacement* p = Placement();
    if (!p)
        return false;
    const Matrix3x2 m = p->GetTransformMatrix() * matrix;
    FActiveHandleId = -1;
    for (std::size_t i = 0; i < FHandles.size(); ++i) {
        if (FHandles[i].TestHitOnScene(x, y, &m) != hsObject)
            continue;
        if (!FActiveObject->InAnimation() && !p->FLocked) {
            FActiveHandleId = int(i);
            FScene.setCursor(FHandles[i].Cursor);
        }
        break;
    }
    return FActiveHandleId != -1;
}

bool TRSelectionTool::MouseMove(bool ctrl, int x, int y, const Matrix3x2& matrix, int x0, int y0) {
    if (!FActiveObject || FActiveHandleId == -1)
        return false;
    const float s = FScene.GetDesignScale();
    const float dx = float(x - x0) / s, dy = float(y - y0) / s;
    if (FActiveHandleId == BodyHandle) {
        if (std::abs(dx) < 2 && std::abs(dy) < 2)
            return false;
        FActiveObject->Move(dx, dy);
        return true;
    }
    if (FActiveHandleId == RotationKnob)
        return Rotate(x, y, matrix);
    if (dx == 0 && dy == 0)
        return false;
    FActiveObject->Resize(std::uint8_t(FActiveHandleId), dx, dy, ctrl);
    return true;
}

// The knob turns the object so that its top points at the pointer: the clockwise angle from
// straight up of the line from the centre to the pointer, in (-180, 180]. An object without a
// placement has nothing to turn.
bool TRSelectionTool::Rotate(int x, int y, const Matrix3x2& matrix) {
    TRPropPlacement* p = Placement();
    if (!p)
        return false;
    const PointF c = matrix.transformPoint({float(p->FPosition.x()), float(p->FPosition.y())});
    const double degrees = std::atan2(double(x) - c.x, c.y - double(y)) * 180 / M_PI;
    p->FRotationZ = float(degrees);
    return true;
}
