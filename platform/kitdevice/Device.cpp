#include "platform/kitdevice/Device.h"

#include "platform/render/Parallel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::kitdevice {

namespace {

constexpr int kSpanPixels = 256;

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

Plane attributePlane(const Edge (&e)[3], double area, double v0, double v1, double v2) {
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

const float* unitTable() {
    static const auto table = [] {
        std::array<float, 256> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = float(i) / 255.0f;
        return t;
    }();
    return table.data();
}

void blendSpan(std::uint8_t* dst, const Color4* src, int count, BlendMode mode) {
    const float* unit = unitTable();
    switch (mode) {
    case BlendMode::Disable:
        for (int i = 0; i < count; ++i, dst += 4) {
            dst[0] = quantize(src[i].b);
            dst[1] = quantize(src[i].g);
            dst[2] = quantize(src[i].r);
            dst[3] = quantize(src[i].a);
        }
        break;
    case BlendMode::Normal:
        for (int i = 0; i < count; ++i, dst += 4) {
            const float keep = 1.0f - src[i].a;
            dst[0] = quantize(src[i].b + unit[dst[0]] * keep);
            dst[1] = quantize(src[i].g + unit[dst[1]] * keep);
            dst[2] = quantize(src[i].r + unit[dst[2]] * keep);
            dst[3] = quantize(src[i].a + unit[dst[3]] * keep);
        }
        break;
    case BlendMode::Additive:
        for (int i = 0; i < count; ++i, dst += 4) {
            dst[0] = quantize(src[i].b + unit[dst[0]]);
            dst[1] = quantize(src[i].g + unit[dst[1]]);
            dst[2] = quantize(src[i].r + unit[dst[2]]);
            dst[3] = quantize(src[i].a + unit[dst[3]]);
        }
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

} // namespace

void blendRowSourceOver(std::uint8_t* dst, const std::uint8_t* src, int count) {
    auto* __restrict d = reinterpret_cast<std::uint32_t*>(dst);
    const auto* __restrict s = reinterpret_cast<const std::uint32_t*>(src);
    for (int i = 0; i < count; ++i) {
        const std::uint32_t keep = 255 - (s[i] >> 24);
        // Saturated, so that colour beyond its alpha cannot carry into the next channel.
        const std::uint32_t low =
            laneSaturate(laneMul(d[i] & 0x00ff00ffu, keep) + (s[i] & 0x00ff00ffu));
        const std::uint32_t high =
            laneSaturate(laneMul((d[i] >> 8) & 0x00ff00ffu, keep) + ((s[i] >> 8) & 0x00ff00ffu));
        d[i] = low | high << 8;
    }
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
    for (int i = 0; i + 2 < indexCount; i += 3) {
        const Vertex clip[3] = {program_->vertex(vertices[indices[i]], vc),
                                program_->vertex(vertices[indices[i + 1]], vc),
                                program_->vertex(vertices[indices[i + 2]], vc)};
        drawTriangle(clip);
    }
}

void Device::drawTriangle(const Vertex (&clip)[3]) {
    const Viewport& vp = viewport_;
    ScreenVertex s[3];
    for (int i = 0; i < 3; ++i)
        s[i] = {vp.x + (double(clip[i].x) + 1) * 0.5 * vp.width,
                vp.y + (1 - double(clip[i].y)) * 0.5 * vp.height, clip[i].u, clip[i].v};
    Edge e[3] = {makeEdge(s[1], s[2]), makeEdge(s[2], s[0]), makeEdge(s[0], s[1])};
    const double area = e[2].at(s[2].x, s[2].y);
    if (area == 0)
        return;
    if (area < 0) {
        std::swap(s[1], s[2]);
        e[0] = makeEdge(s[1], s[2]);
        e[1] = makeEdge(s[2], s[0]);
        e[2] = makeEdge(s[0], s[1]);
    }
    const double positiveArea = std::fabs(area);
    const Plane pu = attributePlane(e, positiveArea, s[0].u, s[1].u, s[2].u);
    const Plane pv = attributePlane(e, positiveArea, s[0].v, s[1].v, s[2].v);

    const int left = std::max(0, vp.x);
    const int top = std::max(0, vp.y);
    const int right = std::min(target_->width(), vp.x + vp.width);
    const int bottom = std::min(target_->height(), vp.y + vp.height);
    const double minY = std::min({s[0].y, s[1].y, s[2].y});
    const double maxY = std::max({s[0].y, s[1].y, s[2].y});
    const double minX = std::min({s[0].x, s[1].x, s[2].x});
    const double maxX = std::max({s[0].x, s[1].x, s[2].x});
    const int y0 = clampToInt(std::floor(minY - 0.5), top, bottom);
    const int y1 = clampToInt(std::ceil(maxY + 0.5), top, bottom);
    const int x0 = clampToInt(std::floor(minX - 0.5), left, right);
    const int x1 = clampToInt(std::ceil(maxX + 0.5), left, right);
    if (y0 >= y1 || x0 >= x1)
        return;

    const ConstantBuffer* pixelConstants = constants_[std::size_t(Stage::Pixel)];
    PixelSpan base;
    base.textures = &textures_;
    base.constants = pixelConstants ? pixelConstants->data() : zeroConstants();
    base.du = float(pu.a);
    base.dv = float(pv.a);
    const PixelFunction pixel = program_->pixel;
    const RowFunction rowFunction = program_->row;
    const BlendMode blend = blend_;
    Texture& target = *target_;
    platform::render::parallelRows(y1 - y0, x1 - x0, [&](int first, int last) {
        Color4 colors[kSpanPixels];
        for (int row = first; row < last; ++row) {
            const int y = y0 + row;
            const double yc = y + 0.5;
            int lo = x0;
            int hi = x1;
            for (const Edge& edge : e)
                narrowSpan(edge, yc, lo, hi);
            for (int x = lo; x < hi; x += kSpanPixels) {
                PixelSpan span = base;
                span.x = x;
                span.y = y;
                span.count = std::min(kSpanPixels, hi - x);
                span.u = float(pu.at(x + 0.5, yc));
                span.v = float(pv.at(x + 0.5, yc));
                std::uint8_t* dst = target.row(y) + std::size_t(x) * 4;
                if (rowFunction && rowFunction(span, dst, blend))
                    continue;
                pixel(span, colors);
                blendSpan(dst, colors, span.count, blend);
            }
        }
    });
}

} // namespace platform::kitdevice
