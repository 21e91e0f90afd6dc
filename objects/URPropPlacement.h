#pragma once
// Where a visual object sits on the canvas: centre, size, 3-D rotation, opacity, scale and the
// lock. Scene coordinates have their origin at the frame's centre, y downwards, in project
// pixels; angles are degrees.

#include "core/URPropBase.h"
#include "core/URScenePaint.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

class TRPropPlacement : public TRPropBase, public TRPlacementSource {
public:
    TRPropPlacement();
    QPointF Position() const override { return FPosition; }
    QRectF BoundsRect() const override { return GetBoundsRect(); }
    bool Rotated() const override { return HasRotations(); }
    bool Locked() const override { return FLocked; }
    // The rotation about z turns the corners; rotations about x and y shorten the height and
    // the width by their cosines (a parallel projection).
    TRTransformedPoints TransformedPoints(float deltaBorder) const override;
    void SetPosition(const QPointF& position) override { FPosition = position; }
    QSizeF ScaledSize() const override { return GetScaledSize(); }
    void SetScaledSizeTo(const QSizeF& size) override { SetScaledSize(size); }
    bool KeepsAspectRatio() const override { return FAspectRatio; }
    QSizeF OriginalSize() const override { return FOriginalSize; }

    // Position, size, rotations, opacity and scale move linearly (no angle wrap-around); the
    // flags and the original size come from this side; the interpolated placement is locked.
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;
    QDomElement SaveToXML(QDomNode parent) const override;
    void OpenFromXML(const QDomElement& element, bool paste) override;

    QSizeF GetScaledSize() const;
    // Size := value / Scale; nothing when Scale is 0.
    void SetScaledSize(const QSizeF& value);
    // The scaled rectangle centred on the origin, and the same with its corner at the origin.
    QRectF GetBoundsRect() const;
    QRectF GetZeroBoundsRect() const;
    bool HasRotations() const;

    QPointF FPosition;
    QSizeF FSize{240, 135};
    float FRotationX = 0;
    float FRotationY = 0;
    float FRotationZ = 0;
    bool FIntrinsicRotations = false;
    float FOpacity = 1;
    float FScale = 1;
    bool FAspectRatio = false;
    QSizeF FOriginalSize{240, 135};
    bool FLocked = false;
};
