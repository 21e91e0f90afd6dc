#include "graphics/URCEFisheyelens.h"

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
    const auto& b = ShaderBuffer<TCE_Fisheyelens_Buffer>(buffer);
    const float outer = b.RadiusOut, inner = std::clamp(b.RadiusIn, 0.0f, std::max(outer, 0.0f));
    const float strength = std::max(b.Size, 0.0f);
    if (!(outer > 0) || strength == 0) {
        shading::copy(in[0], out);
        return;
    }
    shading::warp(
        in[0], out,
        [&](float x, float y) {
            const float dx = x - b.Center.x, dy = y - b.Center.y;
            const float d = shading::length(dx, dy);
            if (d >= outer || d == 0)
                return PointF{x, y};
            const float f = std::pow(std::max(d, inner) / outer, strength);
            return PointF{b.Center.x + dx * f, b.Center.y + dy * f};
        },
        shading::discArea(b.Center.x, b.Center.y, outer));
}

} // namespace

const TRCustomEffectInfo& TRCEFisheyelens::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEFisheyelens,
        "Fisheyelens",
        QUuid(0xba96fcee, 0x66c4, 0x4d62, 0xb2, 0xdf, 0x9e, 0xfe, 0xe2, 0xd8, 0x9e, 0xb2),
        "CE_Fisheyelens",
        1,
        sizeof(TCE_Fisheyelens_Buffer),
        {
            {"Size", "float", "1", offsetof(TCE_Fisheyelens_Buffer, Size),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Center", "vector2", "", offsetof(TCE_Fisheyelens_Buffer, Center), Vector2{0, 0}},
            {"RadiusOut", "float", "1", offsetof(TCE_Fisheyelens_Buffer, RadiusOut),
             100.0f}, // declared "1"; Initialize sets 100, which wins
            {"RadiusIn", "float", "1", offsetof(TCE_Fisheyelens_Buffer, RadiusIn),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{}, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCEFisheyelens::Shader() {
    return {run, true};
}
