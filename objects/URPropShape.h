#pragma once
// The outline of a drawable object: a shape kind by name and its one adjust value. The mask,
// sketch-animation and progress-bar groups share it.

#include "core/URPropBase.h"
#include "core/URScenePaint.h"

class TRPropShape : public TRPropBase, public TRShapeSource {
public:
    TRPropShape();
    // Turns `destination` into the morph between this group (the keyframe being left) and
    // `to` at the eased position `pos`: kind "Animation" with the interpolated roundness.
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;
    // The outline of the current kind fitted to `rect`; a name outside the catalogue draws as
    // "Rectangle". A rectangle with no area (or a NaN side) gives an empty geometry.
    platform::render::GeometryPtr GetGeometry(const QRectF& rect, int segment) const override;
    // The part of `rect` that text inside the shape may occupy.
    QRectF GetTextRectangle(const QRectF& rect) const;
    // How many stroke segments a drawing animation strokes one after another (segment 0 of a
    // kind with one is its whole outline).
    int GetNrSegments() const;
    // The longest segment's length for `rect`, at least 1.
    float GetMaxSegmentLength(const QRectF& rect) const;
    // The lengths of all segments for `rect`, summed.
    float GetTotalLength(const QRectF& rect) const;

    QString FShapeName = QStringLiteral("Rectangle");
    float FRoundness = 0.25f;
    // The morph state of an "Animation" group, never saved: the kinds of the keyframes being
    // left and approached, and the position between them.
    QString AShapeName;
    QString BShapeName;
    float APos = 0;

    void VisitFields(TRPropFields& fields) override;

protected:
    explicit TRPropShape(TRPropertyType type);
};
