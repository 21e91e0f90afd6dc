#include "platform/kitdevice/Device.h"

#include "platform/kitdevice/VectorClones.h"
#include "platform/render/Parallel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace platform::kitdevice {

namespace {

constexpr int kSpanPixels = 256;
// The width of the column tiles of a draw whose rows read across texture rows.
constexpr int kAcrossTile = 64;

struct ScreenVertex {
    double x = 0;
    double y = 0;
    double u = 0;
    double v = 0;
};

// E(x, y) = a x + b y + c, positive inside. Built from the endpoints in one canonical order,
// so the two triangles sharing an edge see exactly opposite values and a centre on it is
// claimed by exactly one of them.
struct Edge {
    double a = 0;
    double b = 0;
    double c = 0;
    bool topLeft = false;

    double at(double x, double y) const { return a * x + b * y + c; }
    bool covers(double x, double y) const {
        const double e = at(x, y);
        return e > 0 || (e == 0 && topLeft);
    }
};

Edge makeEdge(const ScreenVertex& p, const ScreenVertex& q) {
    const bool swapped = q.y < p.y || (q.y == p.y && q.x < p.x);
    const ScreenVertex& s = swapped ? q : p;
    const ScreenVertex& e = swapped ? p : q;
    const double dx = e.x - s.x;
    const double dy = e.y - s.y;
    const double sign = swapped ? -1.0 : 1.0;
    Edge edge{-dy * sign, dx * sign, (dy * s.x - dx * s.y) * sign, false};
    // With y pointing down, a top edge runs right and a left edge runs up.
    const double ddx = q.x - p.x;
    const double ddy = q.y - p.y;
    edge.topLeft = (ddy == 0 && ddx > 0) || ddy < 0;
    return edge;
}

// A value linear over the screen: value(x, y) = a x + b y + c.
struct Plane {
    double a = 0;
    double b = 0;
    double c = 0;
    double at(double x, double y) const { return a * x + b * y + c; }
};

Plane attributePlane(const std::array<Edge, 3>& e, double area, double v0, double v1, double v2) {
    // e[0] faces vertex 0, e[1] vertex 1, e[2] vertex 2: barycentric weights.
    return {(e[0].a * v0 + e[1].a * v1 + e[2].a * v2) / area,
            (e[0].b * v0 + e[1].b * v1 + e[2].b * v2) / area,
            (e[0].c * v0 + e[1].c * v1 + e[2].c * v2) / area};
}

int clampToInt(double value, int lo, int hi) {
    return int(std::clamp(value, double(lo), double(hi)));
}

// Narrows [lo, hi) to the pixels of row centre `yc` that the edge covers.
void narrowSpan(const Edge& edge, double yc, int& lo, int& hi) {
    const auto covers = [&](int x) { return edge.covers(x + 0.5, yc); };
    if (edge.a == 0) {
        if (!covers(lo))
            hi = lo;
        return;
    }
    const double boundary = -(edge.b * yc + edge.c) / edge.a - 0.5;
    if (edge.a > 0) {
        int s = clampToInt(std::floor(boundary), lo, hi);
        while (s < hi && !covers(s))
            ++s;
        while (s > lo && covers(s - 1))
            --s;
        lo = s;
    } else {
        int s = clampToInt(std::ceil(boundary) + 1, lo, hi);
        while (s > lo && !covers(s - 1))
            --s;
        while (s < hi && covers(s))
            ++s;
        hi = s;
    }
}

// The blends as plain loops over channel values (byte / 255 is what the sampler's unit table
// holds), so that each instruction set gets its own vectorised clone.
TAVRIN_VECTOR_CLONES void storeSpan(std::uint8_t* __restrict dst, const Color4* __restrict src,
                                    int count) {
    for (int i = 0; i < count; ++i) {
        dst[4 * i] = quantize(src[i].b);
        dst[4 * i + 1] = quantize(src[i].g);
        dst[4 * i + 2] = quantize(src[i].r);
        dst[4 * i + 3] = quantize(src[i].a);
    }
}

TAVRIN_VECTOR_CLONES void blendSpanOver(std::uint8_t* __restrict dst, const Color4* __restrict src,
                                        int count, float keepScale) {
    for (int i = 0; i < count; ++i) {
        const float keep = 1.0f - src[i].a * keepScale;
        dst[4 * i] = quantize(src[i].b + float(dst[4 * i]) / 255.0f * keep);
        dst[4 * i + 1] = quantize(src[i].g + float(dst[4 * i + 1]) / 255.0f * keep);
        dst[4 * i + 2] = quantize(src[i].r + float(dst[4 * i + 2]) / 255.0f * keep);
        dst[4 * i + 3] = quantize(src[i].a + float(dst[4 * i + 3]) / 255.0f * keep);
    }
}

void blendSpan(std::uint8_t* dst, const Color4* src, int count, BlendMode mode) {
    switch (mode) {
    case BlendMode::Disable:
        storeSpan(dst, src, count);
        break;
    case BlendMode::Normal:
        blendSpanOver(dst, src, count, 1.0f);
        break;
    case BlendMode::Additive:
        blendSpanOver(dst, src, count, 0.0f);
        break;
    }
}

const std::uint8_t* zeroConstants() {
    static const std::array<std::uint8_t, 4096> zeros{};
    return zeros.data();
}

// Two channels in the 16-bit lanes of `lanes` (0x00ff00ff positions) times a / 255, rounded.
std::uint32_t laneMul(std::uint32_t lanes, std::uint32_t a) {
    const std::uint32_t t = lanes * a + 0x00800080u;
    return ((t + ((t >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
}

// Saturates each 16-bit lane (at most 510) to 255.
std::uint32_t laneSaturate(std::uint32_t lanes) {
    return (lanes | (0x01000100u - ((lanes >> 8) & 0x00010001u))) & 0x00ff00ffu;
}

// One pixel of premultiplied source-over, saturated so that colour beyond its alpha cannot carry
// into the next channel.
std::uint32_t blendPixel(std::uint32_t d, std::uint32_t s) {
    const std::uint32_t keep = 255 - (s >> 24);
    const std::uint32_t low = laneSaturate(laneMul(d & 0x00ff00ffu, keep) + (s & 0x00ff00ffu));
    const std::uint32_t high =
        laneSaturate(laneMul((d >> 8) & 0x00ff00ffu, keep) + ((s >> 8) & 0x00ff00ffu));
    return low | high << 8;
}

// Eight pixels as 32 channel bytes, and widened to 16 bits a channel.
using ChannelBytes = std::uint8_t __attribute__((vector_size(32)));
using ChannelWords = std::uint16_t __attribute__((vector_size(64)));

// Blends whole groups of eight pixels and returns how many pixels it did: the same rounding and
// saturation as blendPixel(), written on vectors so that each instruction set gets its own
// clone. Opaque groups are copied and empty ones skipped, as the formula would leave them.
TAVRIN_VECTOR_CLONES int blendVectorised(std::uint32_t* d, const std::uint32_t* s, int count) {
    constexpr int kGroup = 8;
    const int whole = count / kGroup * kGroup;
    for (int i = 0; i < whole; i += kGroup) {
        std::uint32_t all = ~0u;
        std::uint32_t any = 0;
        for (int k = 0; k < kGroup; ++k) {
            all &= s[i + k];
            any |= s[i + k];
        }
        if (all >> 24 == 255) {
            std::memcpy(d + i, s + i, sizeof(ChannelBytes));
            continue;
        }
        if (any == 0)
            continue;
        ChannelBytes sb;
        ChannelBytes db;
        std::memcpy(&sb, s + i, sizeof sb);
        std::memcpy(&db, d + i, sizeof db);
        const auto sw = __builtin_convertvector(sb, ChannelWords);
        const auto dw = __builtin_convertvector(db, ChannelWords);
        const ChannelWords alphaOfChannel = {3,  3,  3,  3,  7,  7,  7,  7,  11, 11, 11,
                                             11, 15, 15, 15, 15, 19, 19, 19, 19, 23, 23,
                                             23, 23, 27, 27, 27, 27, 31, 31, 31, 31};
        const ChannelWords keep = 255 - __builtin_shuffle(sw, alphaOfChannel);
        const ChannelWords t = dw * keep + 128;
        ChannelWords sum = ((t + (t >> 8)) >> 8) + sw;
        sum = sum > 255 ? 255 : sum;
        const auto out = __builtin_convertvector(sum, ChannelBytes);
        std::memcpy(d + i, &out, sizeof out);
    }
    return whole;
}
struct Triangle {
    std::array<Edge, 3> edges;
    Plane u;
    Plane v;
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
};

// What every row of one draw shares.
struct DrawState {
    Texture& target;
    const ProgramCode& program;
    BlendMode blend;
    PixelSpan base;
};

std::optional<Triangle> setUpTriangle(const Vertex (&clip)[3], const Viewport& vp,
                                      const Texture& target) {
    ScreenVertex s[3];
    for (int i = 0; i < 3; ++i)
        s[i] = {vp.x + (double(clip[i].x) + 1) * 0.5 * vp.width,
                vp.y + (1 - double(clip[i].y)) * 0.5 * vp.height, clip[i].u, clip[i].v};
    Triangle t;
    t.edges = {makeEdge(s[1], s[2]), makeEdge(s[2], s[0]), makeEdge(s[0], s[1])};
    const double area = t.edges[2].at(s[2].x, s[2].y);
    if (area == 0)
        return std::nullopt;
    if (area < 0) {
        std::swap(s[1], s[2]);
        t.edges = {makeEdge(s[1], s[2]), makeEdge(s[2], s[0]), makeEdge(s[0], s[1])};
    }
    const double positiveArea = std::fabs(area);
    t.u = attributePlane(t.edges, positiveArea, s[0].u, s[1].u, s[2].u);
    t.v = attributePlane(t.edges, positiveArea, s[0].v, s[1].v, s[2].v);

    const int left = std::max(0, vp.x);
    const int top = std::max(0, vp.y);
    const int right = std::min(target.width(), vp.x + vp.width);
    const int bottom = std::min(target.height(), vp.y + vp.height);
    const double minY = std::min({s[0].y, s[1].y, s[2].y});
    const double maxY = std::max({s[0].y, s[1].y, s[2].y});
    const double minX = std::min({s[0].x, s[1].x, s[2].x});
    const double maxX = std::max({s[0].x, s[1].x, s[2].x});
    t.y0 = clampToInt(std::floor(minY - 0.5), top, bottom);
    t.y1 = clampToInt(std::ceil(maxY + 0.5), top, bottom);
    t.x0 = clampToInt(std::floor(minX - 0.5), left, right);
    t.x1 = clampToInt(std::ceil(maxX + 0.5), left, right);
    if (t.y0 >= t.y1 || t.x0 >= t.x1)
        return std::nullopt;
    return t;
}

PixelSpan spanAt(const Triangle& t, const DrawState& state, int x, int y, int count) {
    const double yc = y + 0.5;
    PixelSpan span = state.base;
    span.x = x;
    span.y = y;
    span.count = count;
    span.u = float(t.u.at(x + 0.5, yc));
    span.v = float(t.v.at(x + 0.5, yc));
    span.du = float(t.u.a);
    span.dv = float(t.v.a);
    return span;
}

// The row function gets the covered run of columns [from, to) at once; what it declines goes
// through the pixel function a span of colours at a time.
void drawRow(const Triangle& t, const DrawState& state, int y, int from, int to) {
    int lo = std::max(t.x0, from);
    int hi = std::min(t.x1, to);
    for (const Edge& edge : t.edges)
        narrowSpan(edge, y + 0.5, lo, hi);
    if (lo >= hi)
        return;
    std::uint8_t* row = state.target.row(y);
    if (state.program.row &&
        state.program.row(spanAt(t, state, lo, y, hi - lo), row + std::size_t(lo) * 4, state.blend))
        return;
    Color4 colors[kSpanPixels];
    for (int x = lo; x < hi; x += kSpanPixels) {
        const PixelSpan span = spanAt(t, state, x, y, std::min(kSpanPixels, hi - x));
        state.program.pixel(span, colors);
        blendSpan(row + std::size_t(x) * 4, colors, span.count, state.blend);
    }
}

// One pass over the rows for the whole list: each row draws its triangles in list order, so
// overlapping triangles blend as if drawn one after another, with one hand-over to the pool.
void drawTriangles(const std::vector<Triangle>& triangles, const DrawState& state) {
    if (triangles.empty())
        return;
    Triangle bounds = triangles.front();
    for (const Triangle& t : triangles) {
        bounds.y0 = std::min(bounds.y0, t.y0);
        bounds.y1 = std::max(bounds.y1, t.y1);
        bounds.x0 = std::min(bounds.x0, t.x0);
        bounds.x1 = std::max(bounds.x1, t.x1);
    }
    // A row that reads its texture across rows (a turned or sheared picture) touches a new
    // cache line and page at almost every pixel; narrow tiles let the rows below reuse them.
    const bool across = std::any_of(triangles.begin(), triangles.end(),
                                    [](const Triangle& t) { return std::fabs(t.v.a) > 1e-7; });
    const int tile = across ? kAcrossTile : bounds.x1 - bounds.x0;
    platform::render::parallelRows(
        bounds.y1 - bounds.y0, bounds.x1 - bounds.x0, [&](int first, int last) {
            for (int x = bounds.x0; x < bounds.x1; x += tile)
                for (int y = bounds.y0 + first; y < bounds.y0 + last; ++y)
                    for (const Triangle& t : triangles)
                        if (y >= t.y0 && y < t.y1)
                            drawRow(t, state, y, x, std::min(x + tile, bounds.x1));
        });
}

} // namespace

void blendRowSourceOver(std::uint8_t* dst, const std::uint8_t* src, int count) {
    auto* __restrict d = reinterpret_cast<std::uint32_t*>(dst);
    const auto* __restrict s = reinterpret_cast<const std::uint32_t*>(src);
    const int vectorised = blendVectorised(d, s, count);
    for (int i = vectorised; i < count; ++i)
        d[i] = blendPixel(d[i], s[i]);
}

bool drawTexelRow(const PixelSpan& span, int slot, std::uint8_t* dst, BlendMode blend) {
    const std::uint8_t* src = span.texels(slot);
    if (!src || blend == BlendMode::Additive)
        return false;
    if (blend == BlendMode::Disable)
        std::memcpy(dst, src, std::size_t(span.count) * 4);
    else
        blendRowSourceOver(dst, src, span.count);
    return true;
}

Device& Device::shared() {
    static Device device;
    return device;
}

void Device::drawIndexed(const Vertex* vertices, const std::uint16_t* indices, int indexCount) {
    if (!target_ || !program_ || !program_->vertex || !program_->pixel)
        return;
    const ConstantBuffer* vertexConstants = constants_[std::size_t(Stage::Vertex)];
    const std::uint8_t* vc = vertexConstants ? vertexConstants->data() : zeroConstants();
    std::vector<Triangle> triangles;
    triangles.reserve(std::size_t(std::max(indexCount / 3, 0)));
    for (int i = 0; i + 2 < indexCount; i += 3) {
        const Vertex clip[3] = {program_->vertex(vertices[indices[i]], vc),
                                program_->vertex(vertices[indices[i + 1]], vc),
                                program_->vertex(vertices[indices[i + 2]], vc)};
        if (const auto triangle = setUpTriangle(clip, viewport_, *target_))
            triangles.push_back(*triangle);
    }
    const ConstantBuffer* pixelConstants = constants_[std::size_t(Stage::Pixel)];
    PixelSpan base;
    base.textures = &textures_;
    base.constants = pixelConstants ? pixelConstants->data() : zeroConstants();
    drawTriangles(triangles, {*target_, *program_, blend_, base});
}

} // namespace platform::kitdevice
