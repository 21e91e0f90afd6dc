#pragma once
// The sketch object: the outline of its Sketch group's shape traced over time as if by a pen,
// growing along the outline, resting, looping and erasing itself as the group's timing says.
// Every frame follows from the time alone, so playback, scrubbing and export agree; an idle
// editor shows the complete outline.

#include "objects/kinds/URDrawable.h"

#include <cstdint>
#include <optional>

class TRPropSketch;

// The timing values of a Sketch group (milliseconds).
struct TRSketchTiming {
    float DrawTime = 0;
    float PauseTime = 0;
    bool Loop = false;
    bool Revert = false;
};

// How much of the outline is drawn `t` ms into an object `length` ms long: 0 nothing, 1 the
// complete outline. Always within 0..1; a draw time of 0 or less, or a repeating cycle that is
// not at least 1 ms long, shows the complete outline.
double SketchProgress(const TRSketchTiming& timing, std::int32_t t, std::int32_t length);

class TRSketch : public TRDrawable {
public:
    TRSketch(TRProject* project, TRObjectType type);
    void UpdateBitmap() override;

protected:
    TRSceneFamily SceneFamily() const override { return {.ShadowTurnsWithPlacement = true}; }
    // The group's flip, then its blur.
    platform::render::ImagePtr FamilySteps(platform::render::ImagePtr image, float w,
                                           float h) override;

private:
    // The drawn fraction at TimePosition: the progress eased by the group's curve while the
    // editor plays or the project exports, else 1; nothing while the progress is 0.
    std::optional<double> DrawnFraction(const TRPropSketch& sketch) const;
};
