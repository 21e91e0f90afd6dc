#include "graphics/URCESwirl.h"

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
    const auto& b = ShaderBuffer<TCE_Swirl_Buffer>(buffer);
    const float outer = b.Radiusout, inner = std::min(b.Radiusin, outer);
    if (!(outer > 0)) {
        shading::copy(in[0], out);
        return;
    }
    shading::warp(
        in[0], out,
        [&](float x, float y) {
            const float dx = x - b.Center.x, dy = y - b.Center.y;
            const float d = shading::length(dx, dy);
            if (d >= outer)
                return PointF{x, y};
            const float fade = d <= inner ? 1.0f : (outer - d) / (outer - inner);
            const PointF r = shading::rotated(dx, dy, b.Size * fade * fade);
            return shading::limitToImage({b.Center.x + r.x, b.Center.y + r.y}, b.MaxWidth,
                                         b.MaxHeight);
        },
        shading::discArea(b.Center.x, b.Center.y, outer));
}

} // namespace

const TRCustomEffectInfo& TRCESwirl::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CESwirl,
        "Swirl",
        QUuid(0x001a9b82, 0x27e4, 0x49f0, 0xbf, 0x49, 0x02, 0xa0, 0xb9, 0xae, 0x97, 0xb9),
        "CE_Swirl",
        1,
        sizeof(TCE_Swirl_Buffer),
        {
            {"Size", "float", "1", offsetof(TCE_Swirl_Buffer, Size),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Center", "vector2", "", offsetof(TCE_Swirl_Buffer, Center), Vector2{0, 0}},
            {"Radius", "float", "1", offsetof(TCE_Swirl_Buffer, Radiusout),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Radiusin", "float", "1", offsetof(TCE_Swirl_Buffer, Radiusin),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"MaxWidth", "float", "1", offsetof(TCE_Swirl_Buffer, MaxWidth),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"MaxHeight", "float", "1", offsetof(TCE_Swirl_Buffer, MaxHeight),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{}, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCESwirl::Shader() {
    return {run, true};
}
