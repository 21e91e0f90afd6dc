// Building blocks of the custom effects' pixel programs: warps (each output pixel sampled
// from a computed source position) and averages of several such samples. Positions are in
// input pixels, pixel centres at i + 0.5.
#pragma once

#include "platform/render/KernelMath.h"
#include "platform/render/Types.h"

#include <cmath>

namespace shading {

using platform::render::ImageTile;
using platform::render::PixelF;
using platform::render::PointF;

/// `p` limited to the image area (0, 0, width, height) when both are set (> 0); the programs
/// that receive the input size use it to keep samples inside the picture.
inline PointF limitToImage(PointF p, float width, float height) {
    if (!(width > 0 && height > 0))
        return p;
    return {std::clamp(p.x, 0.5f, std::max(width - 0.5f, 0.5f)),
            std::clamp(p.y, 0.5f, std::max(height - 0.5f, 0.5f))};
}

/// `v` to the nearest whole number (halves to even), or `fallback` when it is not a number or
/// lies beyond a million.
inline int wholeNumber(float v, int fallback) {
    return std::abs(v) < 1e6f ? int(std::nearbyint(v)) : fallback;
}

inline float length(float x, float y) {
    return std::sqrt(x * x + y * y);
}

/// `v` rotated by `radians` (clockwise on screen).
inline PointF rotated(float x, float y, float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    return {x * c - y * s, x * s + y * c};
}

/// Samples input `in` at `source(x, y)` for the centre (x, y) of every output pixel.
template <class Source> void warp(const ImageTile& in, ImageTile& out, Source source) {
    const platform::render::TileReader src(in);
    platform::render::generatePixels(out, [&](int32_t x, int32_t y) {
        const PointF s = source(float(x) + 0.5f, float(y) + 0.5f);
        return src.bilinear(s.x, s.y);
    });
}

/// Averages `count(x, y)` samples of `in` at `source(x, y, t)` for t evenly spread over 0..1
/// (just t = 0 for a count of 1).
template <class Count, class Source>
void average(const ImageTile& in, ImageTile& out, Count count, Source source) {
    const platform::render::TileReader src(in);
    platform::render::generatePixels(out, [&](int32_t x, int32_t y) {
        const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
        const int n = count(cx, cy);
        PixelF sum;
        for (int k = 0; k < n; ++k) {
            const PointF s = source(cx, cy, n > 1 ? float(k) / float(n - 1) : 0.0f);
            sum += src.bilinear(s.x, s.y);
        }
        return sum * (1.0f / float(n));
    });
}

/// Copies `in` into `out` (their overlap; `in` covers `out` for the programs).
inline void copy(const ImageTile& in, ImageTile& out) {
    platform::render::copyTileArea(in, out);
}

} // namespace shading
