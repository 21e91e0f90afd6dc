#pragma once
// The object kinds that render themselves into their own bitmap and composite it on the scene:
// the bitmap is rebuilt by UpdateBitmap, then laid on the scene with the object's transitions,
// reflection, 3-D rotation, shadow and opacity, centred on the placement's position.

#include "core/URObject.h"
#include "platform/render/Image.h"

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
    };
    virtual TRSceneFamily SceneFamily() const = 0;

    // Whether the effect is applied inside the object's bitmap (inverted effects and
    // "Colorize") rather than on the scene; each effect is applied exactly once.
    static bool EffectInBitmap(const TRPropBase* effect);

private:
    void PaintComposite(platform::render::DeviceContext& dc,
                        const platform::render::Matrix3x2& placed);
    platform::render::ImagePtr FamilySteps(platform::render::ImagePtr image, float w, float h);
};
