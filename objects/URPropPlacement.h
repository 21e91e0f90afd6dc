#pragma once
// Where a visual object sits on the canvas: centre, size, 3-D rotation, opacity, scale and the
// lock. Scene coordinates have their origin at the frame's centre, y downwards, in project
// pixels; angles are degrees.

#include "core/URObject.h"
#include "core/URPropBase.h"
#include "core/URScenePaint.h"
#include "platform/render/Effect.h"
#include "platform/render/Types.h"

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
    TRTransformedPoints TransformedPoints(float deltaBorder) const override {
        return GetTransformedPoints(deltaBorder);
    }
    bool HitsOutline(int x, int y, const platform::render::Matrix3x2* matrix,
                     float deltaBorder) const override {
        return TestHitOnScene(x, y, matrix, deltaBorder) == hsObject;
    }
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

    // The translation to Position, and the same after the in-plane rotation about the origin.
    platform::render::Matrix3x2 GetTransformMatrix() const;
    platform::render::Matrix3x2 GetTransformMatrixWithRZ() const;
    // RotationX(RotationX) * RotationY(RotationY) * RotationZ(RotationZ) for row vectors: the
    // object turns about the fixed x axis first, then y, then z. Clears FIntrinsicRotations,
    // which never selects another order.
    platform::render::Matrix4x4 GetRotationsMatrix() const;
    // Centre and corners (clockwise from top left) of the scaled rectangle grown by
    // `deltaBorder`, rotated and seen in perspective from 1000 px in front of the frame's centre
    // (not the object's), relative to Position. A corner at or behind the eye is held just in
    // front of it.
    TRTransformedPoints GetTransformedPoints(float deltaBorder) const;
    // hsObject when the control pixel (x, y) lies on the inner side of all four edges of the
    // outline mapped by the placement and then `matrix` (scene to control pixels; none for
    // identity). A point on an edge is inside unless the outline is mirrored.
    TRHitScene TestHitOnScene(int x, int y, const platform::render::Matrix3x2* matrix,
                              float deltaBorder) const;
    // The image (width x height pixels) turned in 3-D about its centre at Position and seen in
    // perspective about the frame's centre, in its own pixel frame; `input` when nothing is
    // turned or the effect cannot be made.
    platform::render::ImagePtr DrawRotations(const platform::render::ImagePtr& input, int width,
                                             int height) const;
    // The image at Opacity x trOpacity (applied also when that is 1); `input` when the effect
    // cannot be made.
    platform::render::ImagePtr DrawOpacity(const platform::render::ImagePtr& input,
                                           float trOpacity) const;

    QPointF FPosition;
    QSizeF FSize{240, 135};
    float FRotationX = 0;
    float FRotationY = 0;
    float FRotationZ = 0;
    // Set by reading a file; every computation of the rotation matrix clears it.
    mutable bool FIntrinsicRotations = false;
    float FOpacity = 1;
    float FScale = 1;
    bool FAspectRatio = false;
    QSizeF FOriginalSize{240, 135};
    bool FLocked = false;

    // The depth of the eye in front of the frame, pixels.
    static constexpr float ProjectionDepth = 1000;
    // The least w a projected corner keeps: one at or behind the eye is held just in front.
    static constexpr float MinProjectedW = 0.01f;

private:
    // Rotations, the move to Position and the perspective about the frame's centre.
    platform::render::Matrix4x4 SceneProjection() const;

    mutable platform::render::EffectPtr FOpacityEffect;
    mutable platform::render::EffectPtr FTransform3DEffect;
};
