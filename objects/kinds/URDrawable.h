#pragma once
// The object kinds that render themselves into their own bitmap and composite it on the scene:
// the bitmap is rebuilt by UpdateBitmap, then laid on the scene with the object's transitions,
// reflection, 3-D rotation, shadow and opacity, centred on the placement's position.

#include "core/URObject.h"
#include "platform/render/Image.h"

class TRPropPlacement;

class TRDrawable : public TRObject {
public:
    using TRObject::TRObject;

    // Renders the object at TimePosition into FBitmap; retargets the shared device context and
    // puts it back.
    virtual void UpdateBitmap() = 0;
    // Draws the object (or, with `mouseOver`, only its hover outline) on the scene's target at
    // TimePosition; nothing before TimeStart or after TimeEnd.
    void PaintOnScene(bool mouseOver, bool paintAll) override;

protected:
    // How a family of kinds differs when composited.
    struct TRSceneFamily {
        // Passed to the scene-side effect (Colorize lays its colour over the picture).
        bool EffectOverImage = true;
        // The object itself is drawn at whole pixels (-Trunc(w/2), -Trunc(h/2)); shadow and
        // reflection always at (-w/2, -h/2).
        bool WholePixelOffset = false;
        // The shadow falls in the direction turned by the placement's Z rotation.
        bool ShadowTurnsWithPlacement = false;
        // Shadow and reflection at the object's whole-pixel offset as well.
        bool WholePixelShadow = false;
    };
    virtual TRSceneFamily SceneFamily() const = 0;

    // Whether the effect is applied inside the object's bitmap (inverted effects and
    // "Colorize") rather than on the scene; each effect is applied exactly once.
    static bool EffectInBitmap(const TRPropBase* effect);

    // The family's first steps on FBitmap (w x h pixels) before the transitions: the
    // scene-side effect and the border.
    virtual platform::render::ImagePtr FamilySteps(platform::render::ImagePtr image, float w,
                                                   float h);
    // Where and how the image is drawn while playing or exporting: the object's transitions.
    virtual TRTransitionStep SceneTransition(const TRTransitionInput& input);
    // Lays FBitmap on the scene under `placed` (the placement's translation followed by the
    // scene transform): transitions, reflection, 3-D rotation, shadow, opacity.
    void PaintComposite(platform::render::DeviceContext& dc,
                        const platform::render::Matrix3x2& placed);
    // The hover outline one screen pixel wide, under the transform the caller set.
    void PaintHoverOutline();
    // The canvas zoom: scene pixels per screen pixel are 1 / SceneDesignScale().
    float SceneDesignScale() const;

private:
    float ShadowRotation(const TRPropPlacement& placement, const TRTransitionStep& step) const;
};
