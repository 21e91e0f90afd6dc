#pragma once
// What the text renderer asks of a text animation: when each letter (or line) moves and what it
// looks like part-way. The text animation group of the objects library implements it.

#include "platform/render/Geometry.h"

// What the text animation makes of one letter at one moment.
struct TRTextAnimationFrame {
    platform::render::Matrix3x2 Transform; // applied after the letter's placement
    float Opacity = 1;
    // 0: the outline pass strokes the letter; 1: it strokes Geometry while animating; other
    // values stroke nothing while the letter animates.
    int OutlineMode = 0;
    platform::render::GeometryPtr Geometry; // what to draw: the letter or a changed version
};

// When the letters move: the n-th letter (or line) starts n * Interval ms into the object and
// moves for Duration ms; entering letters appear at their start, leaving ones vanish at their end.
struct TRTextAnimationTiming {
    int Interval = 0;
    int Duration = 0;
    bool PerLine = false; // the letters of a line share the line's start
    bool Entry = true;
};

class TRTextAnimator {
public:
    // The timing while the animation is on; false while it is off (the text stands still).
    virtual bool AnimationTiming(TRTextAnimationTiming& timing) const = 0;
    // The animation of one letter at progress `pos` (0..1), placed at (x, y), of the given letter
    // or line width and height, in a projection of projW x projH. `frame` comes pre-set to the
    // unanimated letter.
    virtual void AnimateLetter(float pos, float x, float y, float width, float height, float projW,
                               float projH, TRTextAnimationFrame& frame) const = 0;

protected:
    ~TRTextAnimator() = default;
};
