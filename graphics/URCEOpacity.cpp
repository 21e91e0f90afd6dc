#include "graphics/URCEOpacity.h"

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
    const auto& b = ShaderBuffer<TCE_OPACITY_Buffer>(buffer);
    const float k = std::clamp(b.Opacity, 0.0f, 1.0f);
    platform::render::mapPixels(in[0], out, [k](const PixelF& p) { return p * k; });
}

} // namespace

const TRCustomEffectInfo& TRCEOpacity::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEOpacity,
        "Opacity",
        QUuid(0x9e99e215, 0xdce6, 0x4c77, 0xa2, 0xe4, 0x1b, 0xff, 0xce, 0x94, 0x64, 0xab),
        "CE_Opacity",
        1,
        sizeof(TCE_OPACITY_Buffer),
        {
            {"Opacity", "float", "1", offsetof(TCE_OPACITY_Buffer, Opacity), 1.0f},
        },
        {{{0, 0.5f}}, {0x80800000u, 0x80008000u, 0x80000080u, 0x80808080u}}};
    return info;
}

TRPixelShader TRCEOpacity::Shader() {
    return {run, false};
}
