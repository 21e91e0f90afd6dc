#pragma once
// The cursor effects that the editor's cursor group and the live recorder both draw: the
// highlight disc, the magnifier and fish-eye lenses about the pointer, and the ring that grows
// from a click and fades over the last fifth of its duration.

#include "platform/render/DeviceContext.h"
#include "platform/render/Effect.h"

#include <cstdint>
#include <optional>

// A colour value (red in the low byte, then green, then blue) with `alpha` (0..1).
platform::render::ColorF ColorFromTColor(uint32_t color, float alpha = 1);

// The shape of a click ring `elapsedMs` after the click.
struct TRClickRing {
    float Radius = 0;      // r: grows linearly from 0 to the ring's size
    float Width = 0;       // w: the ring's thickness as a fraction of r (0 while r is 0)
    float OuterRadius = 0; // R = r + 2 × thickness: the gradient's radius
    float Alpha = 0;       // the opacity, fading linearly over the last fifth
};

// The ring of a click with the given size, thickness, duration (ms) and opacity, all scaled by
// `scale` except time and opacity; nullopt when nothing shows: a duration of 0 or less, a click
// after `elapsedMs` (negative) or one longer ago than the duration.
std::optional<TRClickRing> ClickRingAt(float elapsedMs, float size, float thickness, float duration,
                                       float opacity, float scale = 1);

// Fills the ring's disc around `center` with its radial gradient: transparent up to 1 - 4w,
// `color` at the ring's alpha from 1 - 3w to 1 - w, transparent at the rim.
void DrawClickRing(platform::render::DeviceContext& context, platform::render::PointF center,
                   const TRClickRing& ring, uint32_t color);

// The highlight disc: `color` at `opacity` out to 0.8 of `radius`, fading to clear at the rim.
void DrawCursorHighlight(platform::render::DeviceContext& context, platform::render::PointF center,
                         float radius, uint32_t color, float opacity);

// Points a magnify effect at `center`: enlarged `zoom` times inside `radius`.
void SetMagnifyLens(platform::render::Effect& magnify, platform::render::PointF center, float zoom,
                    float radius);
// Points a fish-eye effect at `center`: a bulge of strength (zoom - 1) / 4 inside `radius`.
void SetFisheyeLens(platform::render::Effect& fisheye, platform::render::PointF center, float zoom,
                    float radius);
