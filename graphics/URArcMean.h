// Means of a picture along arcs about a centre, for the spinning blur, in a few look-ups per
// pixel whatever the arc's length: the picture is sampled once on rings of whole radii (one
// sample per pixel of circumference), the running sums of a ring give its mean over any arc,
// and a pixel between two rings mixes the means of both.
#pragma once

#include "platform/render/Image.h"
#include "platform/render/Types.h"

#include <functional>

namespace shading {

struct ArcMean {
    platform::render::PointF centre;
    /// The arc's angle in radians (0 < arc <= 2 pi); it runs from -arc / 2 to arc / 2 about
    /// each pixel's own angle.
    float arc = 0;
    /// Ring samples are limited to the image (0, 0, width, height) when both are set.
    float limitWidth = 0, limitHeight = 0;
    /// When set (> 0), the pixels farther from the centre are left as they are.
    float radius = 0;
    /// Pixels whose arc is shorter than this many pixels take `exact(x, y)` (a packed pixel)
    /// instead: near the centre the mixing of two rings would soften the picture.
    float shortestArc = 0;
    std::function<uint32_t(int32_t x, int32_t y)> exact;
};

/// Whether averageAlongArcs() can take these settings: a centre and radius of sane size.
bool arcMeansApply(const ArcMean& m);

/// Writes the mean of `in` along its arc for every pixel of `out` within the radius (from the
/// pixel centres, positions as in TileReader: pixel centres at i + 0.5); rows in parallel.
void averageAlongArcs(const ArcMean& m, const platform::render::ImageTile& in,
                      platform::render::ImageTile& out);

} // namespace shading
