#include "graphics/URCECircular.h"

#include "graphics/URCustomShading.h"

#include <cmath>
#include <limits>
#include <numbers>

using platform::render::ImageTile;
using platform::render::PixelF;
using platform::render::PointF;
using platform::render::RectL;
using platform::render::Vector2;
using platform::render::Vector4;

namespace {

// The size of the shape of `type`: how far its inside reaches from its edge (the radius, half
// the smaller side of the rectangle, the width or height of a wipe). 0 for an empty shape.
float shapeExtent(const TCE_Circular_Buffer& b, int type) {
    const TD2D_VECTOR_4F& r = b.Rectangle;
    switch (type) {
    case 0:
        return std::max(b.Radius, 0.0f);
    case 1:
        return std::max(std::min(r.z - r.x, r.w - r.y) / 2, 0.0f);
    case 2:
    case 3:
        return std::max(r.z - r.x, 0.0f);
    default:
        return std::max(r.w - r.y, 0.0f);
    }
}

// The signed distance of (x, y) inside the shape of `type` (0 circle, 1 rectangle, 2..5 the
// wipes, whose only edge is the moving one: right, left, bottom, top).
float insideDistance(const TCE_Circular_Buffer& b, int type, float x, float y) {
    const TD2D_VECTOR_4F& r = b.Rectangle;
    switch (type) {
    case 0:
        return b.Radius - shading::length(x - b.Center.x, y - b.Center.y);
    case 1:
        return std::min({x - r.x, r.z - x, y - r.y, r.w - y});
    case 2:
        return r.z - x;
    case 3:
        return x - r.x;
    case 4:
        return r.w - y;
    default:
        return y - r.y;
    }
}

// The reflection: the band of BorderWidth rows above row Green, fading upwards.
PixelF reflection(const TCE_Circular_Buffer& b, const PixelF& p, float y) {
    if (!(b.BorderWidh > 0))
        return {};
    return p * std::clamp((y - (b.Green - b.BorderWidh)) / b.BorderWidh * b.Red, 0.0f, 1.0f);
}

// The masks. The border band always lies outside the shape, so a shape that covers the picture
// (the end of an opening transition, the start of a closing one) leaves all of it open or all
// of it closed: with Invert 0 the band is on the hidden side, with Invert 1 on the visible one.
// The band is never wider than the shape, so an empty shape draws no band either.
struct Mask {
    const TCE_Circular_Buffer& b;
    int type;
    bool invert;
    float band;     // the band's width in pixels, 0 for none
    int borderType; // 0 alpha gradient, 1 colour, 2 colour gradient
    PixelF color;

    Mask(const TCE_Circular_Buffer& buffer, int shapeType)
        : b(buffer), type(shapeType), invert(buffer.Invert >= 0.5f),
          band(std::isfinite(buffer.BorderWidh)
                   ? std::clamp(buffer.BorderWidh, 0.0f, shapeExtent(buffer, shapeType))
                   : 0.0f),
          borderType(shading::wholeNumber(buffer.BorderType, 0)), color{buffer.Red, buffer.Green,
                                                                        buffer.Blue, 1} {}

    PixelF operator()(const PixelF& p, float x, float y) const {
        const float inside = shapeExtent(b, type) > 0 ? insideDistance(b, type, x, y)
                                                      : -std::numeric_limits<float>::infinity();
        // a: how far (x, y) lies past the hidden area's edge; past a - band the picture shows.
        const float a = invert ? -inside : inside + band;
        const float covered = std::clamp(a + 0.5f, 0.0f, 1.0f);
        if (!(band > 0))
            return p * covered;
        const float u = std::clamp(a / band, 0.0f, 1.0f); // 0 on the hidden side, 1 on the other
        const PixelF colored = color * p.a;
        const PixelF shaded = borderType == 0   ? p * u
                              : borderType == 1 ? colored
                                                : platform::render::mix(colored, p, u);
        return platform::render::mix(shaded, p, std::clamp(a - band + 0.5f, 0.0f, 1.0f)) * covered;
    }
};

void run(const void* buffer, std::span<const ImageTile> in, ImageTile& out) {
    const auto& b = ShaderBuffer<TCE_Circular_Buffer>(buffer);
    const int type = shading::wholeNumber(b.WType, -1);
    if (type < 0 || type > 6) {
        shading::copy(in[0], out);
        return;
    }
    const Mask mask(b, type);
    const platform::render::TileReader src(in[0]);
    platform::render::generatePixels(out, [&](int32_t px, int32_t py) {
        const PixelF p = src.at(px, py);
        const float x = float(px) + 0.5f, y = float(py) + 0.5f;
        return type == 6 ? reflection(b, p, y) : mask(p, x, y);
    });
}

} // namespace

const TRCustomEffectInfo& TRCECircular::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CECircular,
        "Circular",
        QUuid(0xe612a9a5, 0x5961, 0x4a66, 0xb0, 0x4d, 0x8e, 0x33, 0x92, 0xbd, 0x3c, 0xb4),
        "CE_Circular",
        1,
        sizeof(TCE_Circular_Buffer),
        {
            {"Type", "float", "", offsetof(TCE_Circular_Buffer, WType), 0.0f},
            {"Size", "vector2", "", offsetof(TCE_Circular_Buffer, Size), Vector2{0, 0}},
            {"Center", "vector2", "", offsetof(TCE_Circular_Buffer, Center), Vector2{0, 0}},
            {"Radius", "float", "", offsetof(TCE_Circular_Buffer, Radius), 0.0f},
            {"BorderWidth", "float", "", offsetof(TCE_Circular_Buffer, BorderWidh), 0.0f},
            {"Invert", "float", "", offsetof(TCE_Circular_Buffer, Invert), 0.0f},
            {"Rectangle", "vector4", "", offsetof(TCE_Circular_Buffer, Rectangle),
             Vector4{0, 0, 0, 0}},
            {"BorderType", "float", "", offsetof(TCE_Circular_Buffer, BorderType), 0.0f},
            {"Red", "float", "", offsetof(TCE_Circular_Buffer, Red), 1.0f},
            {"Green", "float", "", offsetof(TCE_Circular_Buffer, Green), 0.0f},
            {"Blue", "float", "", offsetof(TCE_Circular_Buffer, Blue), 0.0f},
        },
        {{{0, 1.0f}, {6, Vector4{0, 0, 1, 2}}}, {0xffff0000u, 0u, 0xff0000ffu, 0u}}};
    return info;
}

TRPixelShader TRCECircular::Shader() {
    return {run, false};
}
