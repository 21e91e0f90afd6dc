#include "graphics/URCEGrayscale.h"

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
    const auto& b = ShaderBuffer<TCE_Grayscale_Buffer>(buffer);
    const float amount = std::clamp(b.Amount, 0.0f, 1.0f);
    platform::render::mapPixels(in[0], out, [amount](const PixelF& p) {
        const float l = platform::render::luminance(p);
        return PixelF{std::lerp(p.r, l, amount), std::lerp(p.g, l, amount),
                      std::lerp(p.b, l, amount), p.a};
    });
}

} // namespace

const TRCustomEffectInfo& TRCEGrayscale::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEGrayscale,
        "Grayscale",
        QUuid(0x5c1fdede, 0xe291, 0x4206, 0xb6, 0x38, 0x9a, 0xbb, 0xb1, 0x77, 0x11, 0x31),
        "CE_Grayscale",
        1,
        sizeof(TCE_Grayscale_Buffer),
        {
            {"Grayscale", "float", "1", offsetof(TCE_Grayscale_Buffer, Amount), 1.0f},
        },
        {{}, {0xff4c4c4cu, 0xff969696u, 0xff1d1d1du, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCEGrayscale::Shader() {
    return {run, false};
}
