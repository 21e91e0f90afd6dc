#include "graphics/URArcMean.h"

#include "graphics/URCustomShading.h"
#include "platform/render/KernelMath.h"
#include "platform/render/Parallel.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numbers>
#include <vector>

using platform::render::ImageTile;
using platform::render::PointF;
using platform::render::RectF;
using platform::render::RectL;
using platform::render::TileReader;

namespace shading {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// Centres and radii beyond this many pixels are left to the direct computation.
constexpr float kFar = 1e5f;
// Ring ranges per run: each is worked on by one thread, with its own rings in memory.
constexpr int kChunks = 128;

// Four channels (blue, green, red, alpha) at once.
using Channels = uint32_t __attribute__((vector_size(16)));
using ChannelsF = float __attribute__((vector_size(16)));

Channels unpack(uint32_t p) {
    return Channels{p, p >> 8, p >> 16, p >> 24} & 255;
}

// One bilinear sample, its channels in 1/256.
struct OneSample {
    Channels value{};
    void addBilinear(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t wx,
                     uint32_t wy) {
        const uint32_t w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy,
                       w11 = wx * wy;
        value =
            (unpack(p00) * w00 + unpack(p10) * w10 + unpack(p01) * w01 + unpack(p11) * w11 + 128) >>
            8;
    }
};

// The angle of (x, y) in [0, 2 pi), to within 2e-6 radians.
float angleOf(float y, float x) {
    constexpr float pi = std::numbers::pi_v<float>;
    const float ax = std::abs(x), ay = std::abs(y);
    const float hi = std::max(ax, ay);
    if (!(hi > 0))
        return 0;
    const float z = std::min(ax, ay) / hi, z2 = z * z;
    float a =
        z *
        (0.99997726f +
         z2 * (-0.33262347f +
               z2 * (0.19354346f + z2 * (-0.11643287f + z2 * (0.05265332f + z2 * -0.01172120f)))));
    if (ay > ax)
        a = pi / 2 - a;
    if (x < 0)
        a = pi - a;
    return y < 0 ? 2 * pi - a : a;
}

int samplesAround(int radius) {
    return radius == 0 ? 1 : int(std::ceil(kTwoPi * radius));
}

// The rings of whole radii first..last as running sums: entry j of a ring holds the sum of its
// samples 0 .. j - 1, sample j taken at the angle (j + 0.5) x 2 pi / count (in 1/256).
class Rings {
public:
    Rings(const ArcMean& m, const TileReader& src, const RectL& pixels, int first, int last)
        : first_(first) {
        size_t total = 0;
        for (int r = first; r <= last; ++r)
            total += size_t(samplesAround(r)) + 1;
        sums_.reserve(total);
        rings_.reserve(size_t(std::max(last - first + 1, 0)));
        for (int r = first; r <= last; ++r)
            addRing(m, src, pixels, r);
    }

    // The mean of ring r over the angles phi - arc / 2 .. phi + arc / 2, in 1/256.
    ChannelsF mean(int r, float phi) const {
        const Ring& ring = rings_[size_t(r - first_)];
        const Channels* sums = sums_.data() + ring.start;
        float a = phi * ring.perRadian - ring.length / 2;
        if (a < 0)
            a += float(ring.count);
        float b = a + ring.length;
        // The whole samples in integers (exact, even across the seam), then the parts.
        Channels whole{};
        if (b > float(ring.count)) {
            b -= float(ring.count);
            whole = sums[ring.count];
        }
        const int ja = std::min(int(a), ring.count - 1), jb = std::min(int(b), ring.count - 1);
        whole += sums[jb] - sums[ja];
        const ChannelsF part =
            (b - float(jb)) * __builtin_convertvector(sums[jb + 1] - sums[jb], ChannelsF) -
            (a - float(ja)) * __builtin_convertvector(sums[ja + 1] - sums[ja], ChannelsF);
        return (__builtin_convertvector(whole, ChannelsF) + part) * ring.perLength;
    }

private:
    struct Ring {
        size_t start;
        int count;
        float perRadian; // samples
        float length;    // of the arc, in samples
        float perLength;
    };

    // Samples farther from every pixel than half an arc (and a ring and a sample) are never
    // read: they stay zero. The sample angles turn step by step, from an exact start every
    // kResync samples.
    void addRing(const ArcMean& m, const TileReader& src, const RectL& pixels, int r) {
        constexpr int kResync = 64;
        const int count = samplesAround(r);
        const double step = kTwoPi / count;
        const float length = float(m.arc / step);
        rings_.push_back({sums_.size(), count, float(1 / step), length, 1 / length});
        const float reach = float(r) * m.arc / 2 + 3;
        const RectF needed{float(pixels.left) - reach, float(pixels.top) - reach,
                           float(pixels.right) + reach, float(pixels.bottom) + reach};
        float stepSin, stepCos, s = 0, c = 1;
        platform::render::fastSinCos(float(step), stepSin, stepCos);
        Channels sum{};
        sums_.push_back(sum);
        for (int j = 0; j < count; ++j) {
            if (j % kResync == 0)
                platform::render::fastSinCos(float(step * (j + 0.5)), s, c);
            const PointF p{m.centre.x + float(r) * c, m.centre.y + float(r) * s};
            if (p.x >= needed.left && p.x <= needed.right && p.y >= needed.top &&
                p.y <= needed.bottom) {
                OneSample sample;
                const PointF q = limitToImage(p, m.limitWidth, m.limitHeight);
                src.addBilinear(q.x, q.y, sample);
                sum += sample.value;
            }
            sums_.push_back(sum);
            const float turned = c * stepCos - s * stepSin;
            s = s * stepCos + c * stepSin;
            c = turned;
        }
    }

    int first_;
    std::vector<Ring> rings_;
    std::vector<Channels> sums_;
};

uint32_t pack(ChannelsF v) {
    const Channels bytes = __builtin_convertvector(v * (1.0f / 256) + 0.5f, Channels);
    const uint32_t a = std::min(bytes[3], 255u);
    return a << 24 | std::min(bytes[2], a) << 16 | std::min(bytes[1], a) << 8 |
           std::min(bytes[0], a);
}

// Distances from the centre to the nearest and farthest pixel centre of `r`.
std::pair<double, double> distanceRange(PointF c, const RectL& r) {
    const double left = double(r.left) + 0.5, right = double(r.right) - 0.5;
    const double top = double(r.top) + 0.5, bottom = double(r.bottom) - 0.5;
    const double nx = std::max({left - c.x, c.x - right, 0.0});
    const double ny = std::max({top - c.y, c.y - bottom, 0.0});
    const double fx = std::max(std::abs(left - c.x), std::abs(right - c.x));
    const double fy = std::max(std::abs(top - c.y), std::abs(bottom - c.y));
    return {std::hypot(nx, ny), std::hypot(fx, fy)};
}

class ArcRun {
public:
    ArcRun(const ArcMean& m, const ImageTile& in, ImageTile& out)
        : m_(m), src_(in), out_(out), firstRing_(int(std::min(m.shortestArc / m.arc, 1e9f))),
          // Taken once, on this thread: the bands write their pixels from several threads.
          bits_(out.mutableRow(out.region.top)), stride_(out.pixels.bytesPerLine() / 4),
          // Along the picture's edges the outer ring may run outside it while the pixel's own
          // arc stays inside, which would darken the edge: those pixels take their samples.
          inner_(in.region.inflated(-2)) {}

    // The pixels whose distance d from the centre has floor(d) in [first, last).
    void band(int first, int last) const {
        const RectL& r = out_.region;
        const float cx = m_.centre.x, cy = m_.centre.y;
        const Rings rings(m_, src_, r, std::max(first, firstRing_), last);
        const float outer = float(last + 1), inner = float(first - 1);
        const auto y0 = int32_t(std::max<double>(r.top, std::floor(cy - outer - 1)));
        const auto y1 = int32_t(std::min<double>(r.bottom, std::ceil(cy + outer + 1)));
        for (int32_t y = y0; y < y1; ++y) {
            const float dy = float(y) + 0.5f - cy;
            if (std::abs(dy) >= outer)
                continue;
            const float xo = std::sqrt(outer * outer - dy * dy);
            const auto x0 = int32_t(std::max<double>(r.left, std::floor(cx - xo - 1)));
            const auto x1 = int32_t(std::min<double>(r.right, std::ceil(cx + xo + 1)));
            // Pixels well inside the inner circle belong to earlier bands.
            int32_t skipFrom = x1, skipTo = x1;
            if (first >= 2 && std::abs(dy) < inner) {
                const float xi = std::sqrt(inner * inner - dy * dy);
                skipFrom = int32_t(std::ceil(cx - xi + 0.5f));
                skipTo = int32_t(std::floor(cx + xi - 1.5f)) + 1;
            }
            uint32_t* row = bits_ + ptrdiff_t(y - r.top) * stride_;
            for (int32_t x = x0; x < x1; ++x) {
                if (x >= skipFrom && x < skipTo) {
                    x = skipTo - 1;
                    continue;
                }
                const float dx = float(x) + 0.5f - cx;
                const float d = std::sqrt(dx * dx + dy * dy);
                const int i = int(d);
                if (i < first || i >= last || (m_.radius > 0 && d > m_.radius))
                    continue;
                row[x - r.left] = i < firstRing_ || d * m_.arc < m_.shortestArc || !inside(x, y)
                                      ? m_.exact(x, y)
                                      : mix(rings, i, d - float(i), angleOf(dy, dx));
            }
        }
    }

private:
    bool inside(int32_t x, int32_t y) const {
        return x >= inner_.left && x < inner_.right && y >= inner_.top && y < inner_.bottom;
    }

    static uint32_t mix(const Rings& rings, int i, float t, float phi) {
        const ChannelsF a = rings.mean(i, phi), b = rings.mean(i + 1, phi);
        return pack(a + t * (b - a));
    }

    const ArcMean& m_;
    TileReader src_;
    const ImageTile& out_;
    int firstRing_;
    uint32_t* bits_;
    ptrdiff_t stride_;
    RectL inner_;
};

} // namespace

bool arcMeansApply(const ArcMean& m) {
    return m.arc > 0 && m.arc <= float(kTwoPi) && std::abs(m.centre.x) < kFar &&
           std::abs(m.centre.y) < kFar && m.radius < kFar && m.shortestArc >= 0 && m.exact;
}

void averageAlongArcs(const ArcMean& m, const ImageTile& in, ImageTile& out) {
    if (m.radius > 0)
        copy(in, out);
    if (out.region.isEmpty())
        return;
    auto [nearest, farthest] = distanceRange(m.centre, out.region);
    if (m.radius > 0)
        farthest = std::min(farthest, double(m.radius));
    if (nearest > farthest)
        return;
    // One band more on either side than the distances say: pixel distances are worked out in
    // single precision.
    const int first = std::max(0, int(nearest) - 1), last = int(farthest) + 2;
    const int chunks = std::min(kChunks, last - first);
    // Equal shares of area, as the work grows with the radius.
    auto bound = [&](int k) {
        const double f2 = double(first) * first, l2 = double(last) * last;
        return k == chunks ? last : int(std::sqrt(f2 + (l2 - f2) * k / chunks));
    };
    const ArcRun run(m, in, out);
    const auto pixels = int(std::min<int64_t>(out.region.width() * out.region.height(), INT32_MAX));
    platform::render::parallelRows(chunks, std::max(pixels / chunks, 1), [&](int a, int b) {
        for (int k = a; k < b; ++k)
            run.band(bound(k), bound(k + 1));
    });
}

} // namespace shading
