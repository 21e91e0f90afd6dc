#include "objects/URPropShape.h"

#include "objects/URShapeGeometry.h"
#include "objects/URShapeKinds.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

TRPropShape::TRPropShape() : TRPropShape(ptShape) {}

TRPropShape::TRPropShape(TRPropertyType type) : TRPropBase(type, false, true, false) {}

void TRPropShape::VisitFields(TRPropFields& fields) {
    fields.Text("ShapeName", FShapeName);
    fields.Float("Roundness", FRoundness);
}

namespace {

const QString kAnimation = QStringLiteral("Animation");

// The morph from a rectangle: the target kind at full size united with the starting
// rectangle, which shrinks to 60 % and rounds off as `pos` goes to 1. The target keeps the
// interpolated roundness: raised with the rectangle's, a ring would close up and vanish.
platform::render::GeometryPtr RectangleMorph(const QString& target, double roundness, double pos,
                                             const QRectF& rect) {
    const TRShapeBox box(rect);
    if (target == QLatin1String("Rectangle"))
        return KindGeometry(0, roundness, box, -1);
    const double inset = pos / 5;
    const TRShapeBox inner(
        rect.adjusted(box.w * inset, box.h * inset, -box.w * inset, -box.h * inset));
    const auto start = KindGeometry(0, std::max(roundness, pos), inner, -1);
    const auto end = KindGeometry(std::max(ShapeKindIndex(target), 0), roundness, box, -1);
    return end->combined(*start, platform::render::CombineMode::Union, {}, 1.0f);
}

} // namespace

void TRPropShape::EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const {
    const auto* target = dynamic_cast<const TRPropShape*>(to);
    auto* result = dynamic_cast<TRPropShape*>(destination);
    if (!target || !result)
        return;
    result->FShapeName = kAnimation;
    result->FRoundness = FRoundness + pos * (target->FRoundness - FRoundness);
    result->AShapeName = FShapeName;
    result->BShapeName = target->FShapeName;
    result->APos = pos;
}

platform::render::GeometryPtr TRPropShape::GetGeometry(const QRectF& rect, int segment) const {
    // Written so that NaN sides fail the test too.
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return platform::render::Geometry::fromPath(QPainterPath());
    if (FShapeName != kAnimation)
        return KindGeometry(std::max(ShapeKindIndex(FShapeName), 0), FRoundness, TRShapeBox(rect),
                            segment);
    if (AShapeName == QLatin1String("Rectangle"))
        return RectangleMorph(BShapeName, FRoundness, APos, rect);
    // Any other start kind stays whole until the next keyframe; an unknown one is a rectangle.
    return KindGeometry(std::max(ShapeKindIndex(AShapeName), 0), FRoundness, TRShapeBox(rect), -1);
}

QRectF TRPropShape::GetTextRectangle(const QRectF& rect) const {
    const TRShapeBox b(rect);
    const double a = FRoundness;
    const QString& kind = FShapeName == kAnimation ? AShapeName : FShapeName;
    auto is = [&](const char* name) { return kind == QLatin1String(name); };
    double left = 5, top = 5, right = 5, bottom = 5;
    auto all = [&](double v) { left = top = right = bottom = v; };
    auto sides = [&](double horizontal, double vertical) {
        left += horizontal, right += horizontal, top += vertical, bottom += vertical;
    };
    if (is("Rectangle") && a > 0)
        all(a * b.m / 4 + 5);
    else if (is("Rectangle IC") && a > 0)
        all(a * b.m + 5);
    else if (is("Rectangle IR") && a > 0)
        all(a * b.m / std::sqrt(2.0) + 5);
    else if (is("Circle") || is("Square"))
        left = right = (b.w - b.m) / 2 + 5, top = bottom = (b.h - b.m) / 2 + 5;
    if (is("Arrow R") || is("Arrow L") || is("Wave"))
        sides(0, 0.2 * b.h);
    else if (is("Arrow B") || is("Arrow T"))
        sides(0.2 * b.w, 0);
    else if (is("Balloon E") || is("Balloon R") || is("Balloon RR"))
        sides(0.2 * b.h, 0.2 * b.h);
    if (is("Hexagon")) {
        const double s = std::min(b.h / std::sqrt(3.0), b.w / 2), ah = s * std::sqrt(3.0) / 2;
        sides(b.w / 2 - s, b.h / 2 - ah);
    } else if (is("Octagon")) {
        const double s = b.m / (std::sqrt(2.0) + 1), e = s / 2 + s / std::sqrt(2.0);
        sides(b.w / 2 - e, b.h / 2 - e);
    }
    const double r0 = b.m / 2;
    const double pi = std::numbers::pi;
    if (is("Star")) {
        left = right = b.w / 2 - r0 * std::sin(72 * pi / 180);
        top = b.h / 2 - r0;
        bottom = b.h / 2 - r0 * std::cos(36 * pi / 180);
    } else if (is("Hexagram")) {
        left = right = b.w / 2 - r0 * std::sin(60 * pi / 180);
        top = bottom = b.h / 2 - r0;
    }
    return QRectF(QPointF(b.L + left, b.T + top), QPointF(b.R - right, b.B - bottom));
}

int TRPropShape::GetNrSegments() const {
    const QString& kind = FShapeName;
    if (kind == QLatin1String("Rectangle CB"))
        return 4;
    if (kind == QLatin1String("Rectangle LRB") || kind == QLatin1String("Rectangle TBB") ||
        kind == QLatin1String("Arrow") || kind == QLatin1String("Cross"))
        return 2;
    if (kind == QLatin1String("Circle") || kind == QLatin1String("Ellipse"))
        return FRoundness == 0 ? 1 : 2;
    return 1;
}

float TRPropShape::GetMaxSegmentLength(const QRectF& rect) const {
    float best = 1;
    for (int k = 0; k < GetNrSegments(); ++k)
        best = std::max(best, GetGeometry(rect, k)->computeLength({}, 0));
    return best;
}

float TRPropShape::GetTotalLength(const QRectF& rect) const {
    float total = 0;
    for (int k = 0; k < GetNrSegments(); ++k)
        total += GetGeometry(rect, k)->computeLength({}, 0);
    return total;
}
