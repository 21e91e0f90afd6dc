#include "graphics/URCERadialblur.h"

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
    const auto& b = ShaderBuffer<TCE_Radialblur_Buffer>(buffer);
    constexpr int kSamples = 16;
    const float reach = std::clamp(b.Size, 0.0f, 2.0f) / 4;
    auto outside = [&](float x, float y) {
        return b.Radius > 0 && shading::length(x - b.Center.x, y - b.Center.y) > b.Radius;
    };
    shading::average(
        in[0], out, [&](float x, float y) { return reach > 0 && !outside(x, y) ? kSamples : 1; },
        [&](float x, float y, float t) {
            return PointF{x + (b.Center.x - x) * reach * t, y + (b.Center.y - y) * reach * t};
        });
}

} // namespace

const TRCustomEffectInfo& TRCERadialblur::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CERadialblur,
        "Radialblur",
        QUuid(0x61ef09d8, 0x6228, 0x472c, 0x94, 0x7c, 0x84, 0xb6, 0x01, 0x84, 0xef, 0xda),
        "CE_Radialblur",
        1,
        sizeof(TCE_Radialblur_Buffer),
        {
            {"Size", "float", "1", offsetof(TCE_Radialblur_Buffer, Size),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Center", "vector2", "", offsetof(TCE_Radialblur_Buffer, Center), Vector2{0, 0}},
            {"Radius", "float", "1", offsetof(TCE_Radialblur_Buffer, Radius),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{}, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCERadialblur::Shader() {
    return {run, true};
}
