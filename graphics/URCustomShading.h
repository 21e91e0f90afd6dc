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
    float s, c;
    platform::render::fastSinCos(radians, s, c);
    return {x * c - y * s, x * s + y * c};
}

/// The pixels a program changes when it changes only the disc of `radius` about (cx, cy): the
/// disc's bounding box, grown by a pixel; everything for a radius that is not a positive
/// number or for a centre far away.
inline platform::render::RectL discArea(float cx, float cy, float radius) {
    constexpr float kFar = 1e8f;
    if (!(radius > 0 && radius < kFar && std::abs(cx) < kFar && std::abs(cy) < kFar))
        return platform::render::RectL::infinite();
    return platform::render::RectL::covering({cx - radius, cy - radius, cx + radius, cy + radius})
        .inflated(1);
}

/// Copies `in` into `out` (their overlap; `in` covers `out` for the programs), rows in
/// parallel.
inline void copy(const ImageTile& in, ImageTile& out) {
    platform::render::copyPadded(in, out);
}

/// Lets `f(x, y)` (absolute pixel coordinates, returning a packed pixel) compute the pixels
/// of `out` inside `area` and copies the others from `in`.
template <class F>
void within(const ImageTile& in, ImageTile& out, const platform::render::RectL& area, F f) {
    if (!area.contains(out.region))
        copy(in, out);
    platform::render::generatePackedPixels(out, area, f);
}

/// Samples input `in` at `source(x, y)` for the centre (x, y) of every output pixel inside
/// `area`; the others are copied.
template <class Source>
void warp(const ImageTile& in, ImageTile& out, Source source,
          const platform::render::RectL& area = platform::render::RectL::infinite()) {
    const platform::render::TileReader src(in);
    within(in, out, area, [&](int32_t x, int32_t y) {
        const PointF s = source(float(x) + 0.5f, float(y) + 0.5f);
        platform::render::PixelSum sum;
        src.addBilinear(s.x, s.y, sum);
        return sum.mean(platform::render::kBilinearWeight);
    });
}

/// The most samples average() takes for one pixel.
constexpr int kMaxSamples = 256;

/// `want` samples rounded up, at least 2 and at most `most` (2 when `want` is not a number).
inline int sampleCount(float want, int most) {
    const float n = std::ceil(want);
    return n >= float(most) ? most : n > 2 ? int(n) : 2;
}

/// Averages the samples of `in` that `samples(cx, cy, add)` passes to `add(x, y)` for the
/// centre (cx, cy) of every output pixel inside `area` (the others are copied). `samples`
/// returns how many it passed, at most kMaxSamples.
/// The packed mean of the samples of `src` that `samples` (as for average()) passes for the
/// centre of pixel (x, y).
template <class Samples>
uint32_t meanOfSamples(const platform::render::TileReader& src, Samples& samples, int32_t x,
                       int32_t y) {
    platform::render::PixelSum sum;
    const int n = samples(float(x) + 0.5f, float(y) + 0.5f,
                          [&](float sx, float sy) { src.addBilinear(sx, sy, sum); });
    return sum.mean(platform::render::kBilinearWeight * uint64_t(std::max(n, 1)));
}

template <class Samples>
void average(const ImageTile& in, ImageTile& out, Samples samples,
             const platform::render::RectL& area = platform::render::RectL::infinite()) {
    const platform::render::TileReader src(in);
    within(in, out, area, [&](int32_t x, int32_t y) { return meanOfSamples(src, samples, x, y); });
}

} // namespace shading
