#pragma once
// The zoom area: a magnifier showing an enlarged copy of a region of the frame (its zoom
// source: a centre in -1 .. 1 across the canvas, a zoom factor and a rotation) inside its own
// placement, clipped to its shape and framed by its border. It can grow out of the source
// region ("Zoom In") and shrink back into it ("Zoom Out"), and lays its effect over everything
// painted before it while it is shown. Every paint renders the project again up to the zoom
// area, so it never sees itself or later objects.

#include "objects/kinds/URDrawable.h"

class TRPropPlacement;

class TRZoomArea : public TRDrawable {
public:
    TRZoomArea(TRProject* project, TRObjectType type);

    // All drawing happens in PaintOnScene.
    void UpdateBitmap() override {}
    // The magnified source composited like the other kinds (with the zoom transitions), the
    // background effect before it; with `mouseOver` the hover outline and the source outline.
    void PaintOnScene(bool mouseOver, bool paintAll) override;
    // hsObject on the area itself, else hsZoomSource inside the source rectangle (rotated, as
    // a rectangle whatever the shape), else hsNone.
    TRHitScene TestHitOnScene(int x, int y, const platform::render::Matrix3x2* matrix) override;
    // Moves the current keyframe's source centre by scene pixels, held to -1 .. 1; nothing
    // during a keyframe animation.
    void MoveZoomSource(float dx, float dy) override;

    // The factor (0..1) the background effect's intensity takes at TimePosition: the eased
    // progress inside a "Zoom In" or "Zoom Out" zone, 1 everywhere else.
    float EffectProgress() const;

protected:
    TRSceneFamily SceneFamily() const override {
        return {.WholePixelOffset = true, .WholePixelShadow = true};
    }
    // The border laid over the magnified source.
    platform::render::ImagePtr FamilySteps(platform::render::ImagePtr image, float w,
                                           float h) override;
    // Inside a zoom zone the area moves between the source region and its own placement;
    // other kinds of transition run as for every object.
    TRTransitionStep SceneTransition(const TRTransitionInput& input) override;

private:
    // The transition zone at TimePosition: the group in force (null: none), whether it is the
    // zoom kind of its side, and the elapsed fraction q.
    struct Zone {
        const TRPropTransition* Group = nullptr;
        bool Zoom = false;
        bool In = true;
        double Q = 0;
    };
    Zone CurrentZone() const;
    QSize ProjectSize() const;
    bool ReRender(platform::render::DeviceContext& dc, QSize size);
    void PaintBackgroundEffect(platform::render::DeviceContext& dc,
                               const platform::render::Matrix3x2& s, QSize size);
    bool Magnify(platform::render::DeviceContext& dc, const TRPropPlacement& placement, QSize size);
    void PaintSourceOutline(platform::render::DeviceContext& dc,
                            const platform::render::Matrix3x2& s);
};
