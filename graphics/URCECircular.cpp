#include "graphics/URCECircular.h"

#include "graphics/URCustomShading.h"

#include <numbers>

using platform::render::ImageTile;
using platform::render::PixelF;
using platform::render::PointF;
using platform::render::RectL;
using platform::render::Vector2;
using platform::render::Vector4;

namespace {

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

void run(const void* buffer, std::span<const ImageTile> in, ImageTile& out) {
    const auto& b = ShaderBuffer<TCE_Circular_Buffer>(buffer);
    const int type = shading::wholeNumber(b.WType, -1);
    if (type < 0 || type > 6) {
        shading::copy(in[0], out);
        return;
    }
    const PixelF border{b.Red, b.Green, b.Blue, 1};
    const platform::render::TileReader src(in[0]);
    platform::render::generatePixels(out, [&](int32_t px, int32_t py) {
        const PixelF p = src.at(px, py);
        const float x = float(px) + 0.5f, y = float(py) + 0.5f;
        if (type == 6) // reflection: the band of BorderWidth rows above row Green, fading upwards
            return b.BorderWidh > 0
                       ? p * std::clamp((y - (b.Green - b.BorderWidh)) / b.BorderWidh * b.Red, 0.0f,
                                        1.0f)
                       : PixelF{};
        const float d = (b.Invert >= 0.5f ? -1.0f : 1.0f) * insideDistance(b, type, x, y);
        const float coverage = std::clamp(d + 0.5f, 0.0f, 1.0f);
        if (!(b.BorderWidh > 0) || d >= b.BorderWidh)
            return p * coverage;
        const float u = std::clamp(d / b.BorderWidh, 0.0f, 1.0f); // 0 on the edge, 1 inside
        const int borderType = shading::wholeNumber(b.BorderType, 0);
        const PixelF colored = border * p.a;
        const PixelF shaded = borderType == 0   ? p * u
                              : borderType == 1 ? colored
                                                : platform::render::mix(colored, p, u);
        return shaded * coverage;
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
