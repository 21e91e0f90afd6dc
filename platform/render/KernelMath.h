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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
          stride_(tile.pixels.isNull() ? 0 : tile.pixels.bytesPerLine() / 4), region_(tile.region),
          innerWidth_(uint32_t(std::max<int64_t>(region_.width() - 1, 0))),
          innerHeight_(uint32_t(std::max<int64_t>(region_.height() - 1, 0))) {}

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

    /// Adds the bilinear sample at (x, y) to `sum` in fixed point (positions to 1/256 pixel),
    /// which is much cheaper than bilinear(): no float conversions, and no bounds checks away
    /// from the tile's edges.
    template <class Sum> void addBilinear(float x, float y, Sum& sum) const {
        addBilinearFixed(toFixed(x - 0.5f), toFixed(y - 0.5f), sum);
    }

    /// `v` in 1/256 pixel, rounded (halves up); positions beyond 2^22 pixels (and NaN) land
    /// far outside any tile.
    static int32_t toFixed(float v) {
        constexpr float kFar = 4194304.0f; // 2^22 pixels, 2^30 in fixed point
        const float w = v * 256.0f + 0.5f;
        const float c = w > -kFar * 256 ? (w < kFar * 256 ? w : kFar * 256) : -kFar * 256;
        const auto t = int32_t(c);        // towards zero
        return t - int32_t(float(t) > c); // down
    }

    /// addBilinear() at fixed-point coordinates (see toFixed()) already moved by half a
    /// pixel, so that the sample lies between pixel x >> 8 and the next.
    template <class Sum> void addBilinearFixed(int32_t x, int32_t y, Sum& sum) const {
        const int32_t x0 = x >> 8, y0 = y >> 8;
        const auto wx = uint32_t(x & 255), wy = uint32_t(y & 255);
        uint32_t p00, p10, p01, p11;
        if (bits_ && uint32_t(x0 - region_.left) < innerWidth_ &&
            uint32_t(y0 - region_.top) < innerHeight_) {
            const uint32_t* top =
                bits_ + ptrdiff_t(y0 - region_.top) * stride_ + (x0 - region_.left);
            p00 = top[0];
            p10 = top[1];
            p01 = top[stride_];
            p11 = top[stride_ + 1];
        } else {
            p00 = packedAt(x0, y0);
            p10 = packedAt(x0 + 1, y0);
            p01 = packedAt(x0, y0 + 1);
            p11 = packedAt(x0 + 1, y0 + 1);
        }
        sum.addBilinear(p00, p10, p01, p11, wx, wy);
    }

private:
    const uint32_t* bits_;
    ptrdiff_t stride_;
    RectL region_;
    // The pixels with a right (lower) neighbour in the tile: the fast path's bounds.
    uint32_t innerWidth_, innerHeight_;
};

/// A sum of bilinear samples of packed pixels in fixed point, exact: each sample weighs 65536
/// and up to 256 samples may be added.
class PixelSum {
public:
    /// Adds the four pixels around a sample with the bilinear weights of its position `wx`,
    /// `wy` (0..256) past the first.
    void addBilinear(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t wx,
                     uint32_t wy) {
        const uint32_t w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy,
                       w11 = wx * wy;
#if defined(__SSE2__)
        // One sample is at most 255 x 65536 < 2^24 and so are its partial sums: exact in
        // single precision. 256 samples stay below 2^32 in the unsigned lanes.
        const __m128i zero = _mm_setzero_si128();
        const __m128i bits =
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(p00)), _mm_cvtsi32_si128(int(p10)));
        const __m128i bottomBits =
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(p01)), _mm_cvtsi32_si128(int(p11)));
        const __m128i upper = _mm_unpacklo_epi8(bits, zero),
                      lower = _mm_unpacklo_epi8(bottomBits, zero);
        auto channels = [&](__m128i words, bool high) {
            return _mm_cvtepi32_ps(high ? _mm_unpackhi_epi16(words, zero)
                                        : _mm_unpacklo_epi16(words, zero));
        };
        const __m128 s =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(channels(upper, false), _mm_set1_ps(float(w00))),
                                  _mm_mul_ps(channels(upper, true), _mm_set1_ps(float(w10)))),
                       _mm_add_ps(_mm_mul_ps(channels(lower, false), _mm_set1_ps(float(w01))),
                                  _mm_mul_ps(channels(lower, true), _mm_set1_ps(float(w11)))));
        lanes_ = _mm_add_epi32(lanes_, _mm_cvtps_epi32(s));
#else
        add(p00, w00);
        add(p10, w10);
        add(p01, w01);
        add(p11, w11);
#endif
    }

    /// The sum divided by `total` (the weights added), rounded, packed.
    uint32_t mean(uint64_t total) const {
        const double k = 1.0 / double(total); // one division, not four
        auto lane = [k](uint32_t v) { return uint32_t(double(v) * k + 0.5); };
#if defined(__SSE2__)
        alignas(16) uint32_t v[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(v), lanes_);
        return lane(v[3]) << 24 | lane(v[2]) << 16 | lane(v[1]) << 8 | lane(v[0]);
#else
        return lane(uint32_t(ag_ >> 32)) << 24 | lane(uint32_t(rb_ >> 32)) << 16 |
               lane(uint32_t(ag_)) << 8 | lane(uint32_t(rb_));
#endif
    }

private:
#if defined(__SSE2__)
    __m128i lanes_ = _mm_setzero_si128(); // blue, green, red, alpha
#else
    void add(uint32_t p, uint32_t weight) {
        rb_ += spread(p) * weight;
        ag_ += spread(p >> 8) * weight;
    }
    // Bytes 0 and 2 of `p` into the low bits of the two 32-bit halves.
    static uint64_t spread(uint32_t p) {
        return uint64_t(p & 0xff) | uint64_t(p & 0xff0000) << 16;
    }
    uint64_t rb_ = 0, ag_ = 0;
#endif
};

/// The weight PixelSum gives one bilinear sample.
constexpr uint64_t kBilinearWeight = 65536;

/// sin and cos of `angle` (radians) to within 3e-7 for angles up to a few thousand radians:
/// far cheaper than std::sin and std::cos, for per-pixel rotations.
inline void fastSinCos(float angle, float& sine, float& cosine) {
    if (!(std::abs(angle) < 1e6f)) { // huge or not a number: the library's own reduction
        sine = std::sin(angle);
        cosine = std::cos(angle);
        return;
    }
    constexpr double kHalfPi = 1.57079632679489661923;
    const double turns = std::nearbyint(double(angle) / kHalfPi);
    const auto r = float(double(angle) - turns * kHalfPi); // |r| <= pi / 4
    const float r2 = r * r;
    const float s = r * (1 + r2 * (-1.0f / 6 + r2 * (1.0f / 120 + r2 * (-1.0f / 5040))));
    const float c = 1 + r2 * (-0.5f + r2 * (1.0f / 24 + r2 * (-1.0f / 720 + r2 * (1.0f / 40320))));
    switch (int64_t(turns) & 3) {
    case 0:
        sine = s, cosine = c;
        break;
    case 1:
        sine = c, cosine = -s;
        break;
    case 2:
        sine = -s, cosine = -c;
        break;
    default:
        sine = -c, cosine = s;
        break;
    }
}

/// Calls `f(x, y)` (absolute pixel coordinates) for every pixel of `out` inside `area` and
/// stores the packed premultiplied colour it returns; rows run in parallel.
template <class F> void generatePackedPixels(ImageTile& out, const RectL& area, F f) {
    const RectL r = out.region.intersected(area);
    if (r.isEmpty())
        return;
    const int width = int(r.width());
    // Each band goes in column strips, every strip down all the band's rows: a kernel that
    // samples far from its pixel (along arcs, towards a centre) then finds the source rows of
    // the row above still in cache.
    constexpr int kStrip = 128;
    parallelRows(int(r.height()), width, [&](int first, int last) {
        for (int left = 0; left < width; left += kStrip) {
            const int right = std::min(width, left + kStrip);
            for (int i = first; i < last; ++i) {
                const int32_t y = r.top + i;
                uint32_t* dst = out.mutableRow(y) + (r.left - out.region.left);
                for (int x = left; x < right; ++x)
                    dst[x] = f(r.left + x, y);
            }
        }
    });
}

/// Calls `f(x, y)` (absolute pixel coordinates) for every pixel of `out` and stores the
/// premultiplied colour it returns; rows run in parallel.
template <class F> void generatePixels(ImageTile& out, F f) {
    generatePackedPixels(out, out.region, [&](int32_t x, int32_t y) { return packPixel(f(x, y)); });
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
