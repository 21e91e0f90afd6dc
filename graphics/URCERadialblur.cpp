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

// A pixel averages samples spread evenly over the first `reach` of its way to the centre: one
// per pixel of that way, 2 to kSamples.
void run(const void* buffer, std::span<const ImageTile> in, ImageTile& out) {
    const auto& b = ShaderBuffer<TCE_Radialblur_Buffer>(buffer);
    constexpr int kSamples = 16;
    const float reach = std::clamp(b.Size, 0.0f, 2.0f) / 4;
    if (!(reach > 0)) {
        shading::copy(in[0], out);
        return;
    }
    const float cx = b.Center.x, cy = b.Center.y;
    shading::average(
        in[0], out,
        [&](float x, float y, auto add) {
            const float d = shading::length(cx - x, cy - y);
            if (b.Radius > 0 && d > b.Radius) {
                add(x, y);
                return 1;
            }
            const int n = shading::sampleCount(d * reach + 1, kSamples);
            const float sx = (cx - x) * reach / float(n - 1), sy = (cy - y) * reach / float(n - 1);
            for (int k = 0; k < n; ++k)
                add(x + sx * float(k), y + sy * float(k));
            return n;
        },
        shading::discArea(cx, cy, b.Radius));
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
