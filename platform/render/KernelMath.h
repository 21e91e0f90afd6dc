// Pixel arithmetic in floating point for effect kernels: premultiplied pixels as four floats,
// bilinear sampling of tiles, and row-parallel loops over output tiles. Everything here is
// inline so kernels' inner loops compile to straight code (no per-pixel indirect calls).
#pragma once

#include "platform/render/Image.h"
#include "platform/render/Parallel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace platform::render {

/// A premultiplied colour, channels 0..1.
struct PixelF {
    float r = 0, g = 0, b = 0, a = 0;

    PixelF operator+(const PixelF& o) const { return {r + o.r, g + o.g, b + o.b, a + o.a}; }
    PixelF operator*(float k) const { return {r * k, g * k, b * k, a * k}; }
    PixelF& operator+=(const PixelF& o) { return *this = *this + o; }
};

inline PixelF unpackPixel(uint32_t p) {
    constexpr float k = 1.0f / 255.0f;
    return {float((p >> 16) & 0xff) * k, float((p >> 8) & 0xff) * k, float(p & 0xff) * k,
            float(p >> 24) * k};
}

/// Packs a premultiplied colour: alpha clamped to 0..1, each colour channel to 0..alpha.
/// NaN channels become 0.
inline uint32_t packPixel(const PixelF& c) {
    const float a = c.a > 0 ? std::min(c.a, 1.0f) : 0.0f;
    auto byte = [a](float v) { return uint32_t((v > 0 ? std::min(v, a) : 0.0f) * 255.0f + 0.5f); };
    return (uint32_t(a * 255.0f + 0.5f) << 24) | (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
}

/// The straight (not premultiplied) colour of `p`; transparent stays all zero.
inline PixelF unpremultiplied(const PixelF& p) {
    if (p.a <= 0)
        return {};
    const float k = 1.0f / p.a;
    return {p.r * k, p.g * k, p.b * k, p.a};
}

inline PixelF premultiplied(const PixelF& s) {
    return {s.r * s.a, s.g * s.a, s.b * s.a, s.a};
}

inline float luminance(const PixelF& p) {
    return 0.299f * p.r + 0.587f * p.g + 0.114f * p.b;
}

inline PixelF mix(const PixelF& a, const PixelF& b, float t) {
    return a * (1 - t) + b * t;
}

/// Direct read access to a tile's pixels for inner loops: the row pointers are taken once,
/// so reads cost no calls. Make one per kernel run, outside the per-pixel code.
class TileReader {
public:
    explicit TileReader(const ImageTile& tile)
        : bits_(tile.pixels.isNull() ? nullptr
                                     : reinterpret_cast<const uint32_t*>(tile.pixels.constBits())),
          stride_(tile.pixels.isNull() ? 0 : tile.pixels.bytesPerLine() / 4), region_(tile.region) {
    }

    /// The packed pixel at whole coordinates, transparent outside the tile.
    uint32_t packedAt(int32_t x, int32_t y) const {
        if (!bits_ || x < region_.left || x >= region_.right || y < region_.top ||
            y >= region_.bottom)
            return 0;
        return bits_[ptrdiff_t(y - region_.top) * stride_ + (x - region_.left)];
    }
    PixelF at(int32_t x, int32_t y) const { return unpackPixel(packedAt(x, y)); }

    /// Nearest-pixel sample at continuous coordinates (pixel i covers [i, i + 1)).
    PixelF nearest(float x, float y) const {
        if (!(std::abs(x) < 1e9f && std::abs(y) < 1e9f))
            return {};
        return at(int32_t(std::floor(x)), int32_t(std::floor(y)));
    }

    /// Bilinear sample at continuous coordinates, pixel centres at i + 0.5; transparent
    /// outside.
    PixelF bilinear(float x, float y) const {
        if (!(std::abs(x) < 1e9f && std::abs(y) < 1e9f))
            return {};
        const float fx = x - 0.5f, fy = y - 0.5f;
        const float x0f = std::floor(fx), y0f = std::floor(fy);
        const float tx = fx - x0f, ty = fy - y0f;
        const auto x0 = int32_t(x0f), y0 = int32_t(y0f);
        const PixelF top = mix(at(x0, y0), at(x0 + 1, y0), tx);
        const PixelF bottom = mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), tx);
        return mix(top, bottom, ty);
    }

private:
    const uint32_t* bits_;
    ptrdiff_t stride_;
    RectL region_;
};

/// Calls `f(x, y)` (absolute pixel coordinates) for every pixel of `out` and stores the
/// premultiplied colour it returns; rows run in parallel.
template <class F> void generatePixels(ImageTile& out, F f) {
    const int width = int(out.region.width());
    parallelRows(int(out.region.height()), width, [&](int first, int last) {
        for (int i = first; i < last; ++i) {
            const int32_t y = out.region.top + i;
            uint32_t* dst = out.mutableRow(y);
            for (int x = 0; x < width; ++x)
                dst[x] = packPixel(f(out.region.left + x, y));
        }
    });
}

/// Calls `op(pixel)` for every pixel of `in` at the positions of `out` (which `in` must
/// cover) and stores the result.
template <class Op> void mapPixels(const ImageTile& in, ImageTile& out, Op op) {
    const int width = int(out.region.width());
    parallelRows(int(out.region.height()), width, [&](int first, int last) {
        for (int i = first; i < last; ++i) {
            const int32_t y = out.region.top + i;
            const uint32_t* src = in.row(y) + (out.region.left - in.region.left);
            uint32_t* dst = out.mutableRow(y);
            for (int x = 0; x < width; ++x)
                dst[x] = packPixel(op(unpackPixel(src[x])));
        }
    });
}

/// A 3x3 matrix applied to the colour channels, alpha kept. Linear, so it works on
/// premultiplied colours directly.
struct ColorMatrix {
    float m[3][3];

    PixelF apply(const PixelF& p) const {
        return {m[0][0] * p.r + m[0][1] * p.g + m[0][2] * p.b,
                m[1][0] * p.r + m[1][1] * p.g + m[1][2] * p.b,
                m[2][0] * p.r + m[2][1] * p.g + m[2][2] * p.b, p.a};
    }
};

} // namespace platform::render
