#include "graphics/URCERipple.h"

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
    const auto& b = ShaderBuffer<TCE_Ripple_Buffer>(buffer);
    const float dpi = b.DPI > 0 ? b.DPI : 96;
    const float sharpness = 1 / std::max(b.Spread, 1e-3f);
    shading::warp(
        in[0], out,
        [&](float x, float y) {
            const float dx = x - b.CenterX, dy = y - b.CenterY;
            const float r = shading::length(dx, dy);
            const float u = r / (2 * dpi);
            if (r == 0 || u >= 1)
                return PointF{x, y};
            const float shift =
                std::sin(b.Frequency * u + b.Phase) * std::pow(1 - u, sharpness) * b.Amplitude / 10;
            return PointF{x - dx / r * shift, y - dy / r * shift};
        },
        shading::discArea(b.CenterX, b.CenterY, 2 * dpi)); // the wave ends 2 inches out
}

} // namespace

TRCERipple::TRCERipple(const TRShaderLibrary& shaders) : TRCustomEffectOf(shaders) {
    Fbuffer.DPI = 96;
}

const TRCustomEffectInfo& TRCERipple::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CERipple,
        "Ripple",
        QUuid(0x08534544, 0x35b6, 0x4558, 0x81, 0xc3, 0x5d, 0x32, 0xee, 0x2a, 0xa2, 0xdd),
        "CE_Ripple",
        1,
        sizeof(TCE_Ripple_Buffer),
        {
            {"Frequency", "float", "1", offsetof(TCE_Ripple_Buffer, Frequency),
             140.0f}, // declared "1"; Initialize sets 140, which wins
            {"Phase", "float", "1", offsetof(TCE_Ripple_Buffer, Phase),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Amplitude", "float", "1", offsetof(TCE_Ripple_Buffer, Amplitude),
             60.0f}, // declared "1"; Initialize sets 60, which wins
            {"Spread", "float", "1", offsetof(TCE_Ripple_Buffer, Spread),
             0.01f}, // declared "1"; Initialize sets 0.01, which wins
            {"CenterX", "float", "1", offsetof(TCE_Ripple_Buffer, CenterX),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"CenterY", "float", "1", offsetof(TCE_Ripple_Buffer, CenterY),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{{2, 0.0f}}, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCERipple::Shader() {
    return {run, true};
}
