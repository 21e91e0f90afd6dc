#include "graphics/URCEDissolve.h"

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
    const auto& b = ShaderBuffer<TCE_Dissolve_Buffer>(buffer);
    const float threshold = b.Size;
    const platform::render::TileReader src(in[0]), noiseInput(in[1]);
    platform::render::generatePixels(out, [&](int32_t x, int32_t y) {
        const PixelF p = src.at(x, y);
        if (threshold >= 1)
            return p;
        const float noise = platform::render::unpremultiplied(noiseInput.at(x, y)).r;
        return noise < threshold ? p : PixelF{};
    });
}

} // namespace

const TRCustomEffectInfo& TRCEDissolve::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEDissolve,
        "Dissolve",
        QUuid(0xf9d45b59, 0xf601, 0x402b, 0xba, 0x58, 0x2d, 0xb7, 0xd3, 0x6b, 0x1c, 0x90),
        "CE_Dissolve",
        2,
        sizeof(TCE_Dissolve_Buffer),
        {
            {"Size", "float", "1", offsetof(TCE_Dissolve_Buffer, Size),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{{0, 0.5f}}, {0u, 0xff00ff00u, 0xff0000ffu, 0u}}};
    return info;
}

TRPixelShader TRCEDissolve::Shader() {
    return {run, false};
}
