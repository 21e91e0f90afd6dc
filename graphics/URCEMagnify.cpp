#include "graphics/URCEMagnify.h"

#include "graphics/URCustomShading.h"

#include <numbers>

using platform::render::ImageTile;
using platform::render::PixelF;
using platform::render::PointF;
using platform::render::RectL;
using platform::render::Vector2;
using platform::render::Vector4;

namespace {

void run(const void* buffer, std::span<const ImageTile> in, ImageTile& out) {
    const auto& b = ShaderBuffer<TCE_Magnify_Buffer>(buffer);
    const float s = b.Size > 0 ? b.Size : 1;
    if (s == 1) {
        shading::copy(in[0], out);
        return;
    }
    shading::warp(
        in[0], out,
        [&](float x, float y) {
            const float dx = x - b.Center.x, dy = y - b.Center.y;
            if (b.Radius > 0 && dx * dx + dy * dy > b.Radius * b.Radius)
                return PointF{x, y};
            return PointF{b.Center.x + dx * s, b.Center.y + dy * s};
        },
        shading::discArea(b.Center.x, b.Center.y, b.Radius));
}

} // namespace

const TRCustomEffectInfo& TRCEMagnify::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEMagnify,
        "Magnify",
        QUuid(0x9178b704, 0x901c, 0x4f9c, 0xa3, 0x08, 0xd7, 0x48, 0xa9, 0xfe, 0x6e, 0xfe),
        "CE_Magnify",
        1,
        sizeof(TCE_Magnify_Buffer),
        {
            {"Size", "float", "1", offsetof(TCE_Magnify_Buffer, Size),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Center", "vector2", "", offsetof(TCE_Magnify_Buffer, Center), Vector2{0, 0}},
            {"Radius", "float", "1", offsetof(TCE_Magnify_Buffer, Radius),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{{0, 1.0f}}, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCEMagnify::Shader() {
    return {run, true};
}
