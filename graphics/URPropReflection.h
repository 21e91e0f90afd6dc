#pragma once
// The reflection of an object as on a glossy floor: the lower part of its picture, faded,
// optionally rippled and blurred, turned upside down a little below the object and following
// its 3-D rotations.

#include "core/URPropBase.h"
#include "platform/render/Effect.h"

// Where the object stands: its centre relative to the scene's centre in scene pixels and its
// rotations in degrees (the placement group's values).
struct TRReflectionPlacement {
    float X = 0;
    float Y = 0;
    float RotationX = 0;
    float RotationY = 0;
    float RotationZ = 0;
};

class TRPropReflection : public TRPropBase {
public:
    TRPropReflection();

    float FHeight = 50;     // part of the picture's height shown, percent
    float FOffset = 10;     // gap below the object, pixels
    float FBlur = 0;        // vertical blur, pixels
    float FEffect = 0;      // ripple strength
    float FOpacity = 0.75f; // 0..1

    void VisitFields(TRPropFields& fields) override;
    void EaseTo(float pos, const TRPropBase* to, TRPropBase* destination) const override;

    // The reflection of the object's picture `input` (width x height), in the picture's own
    // coordinates, so the caller draws it with the object's transform; `opacity` is the
    // object's. `input` when any effect cannot be made. The rotation is not used.
    platform::render::ImagePtr ComputeReflection(const platform::render::ImagePtr& input,
                                                 float rotation, float opacity, float width,
                                                 float height,
                                                 const TRReflectionPlacement& placement) const;

private:
    mutable platform::render::EffectPtr FCircularEffect;
    mutable platform::render::EffectPtr FDisplacementEffect;
    mutable platform::render::EffectPtr FTurbulenceEffect;
    mutable platform::render::EffectPtr FDirBlurEffect;
    mutable platform::render::EffectPtr FTransformEffect;
};

// The matrix that turns a width x height picture upside down below the object at `placement`,
// `offset` pixels under it, in perspective about the scene's centre.
platform::render::Matrix4x4 ReflectionMatrix(float width, float height, float offset,
                                             const TRReflectionPlacement& placement);
