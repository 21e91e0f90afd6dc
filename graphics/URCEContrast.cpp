#include "graphics/URCEContrast.h"

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
    const auto& b = ShaderBuffer<TCE_Contrast_Buffer>(buffer);
    const float gain = 1 + std::max(b.Contrast, -1.0f);
    const float lift = 0.5f + std::clamp(b.Brightness, -1.0f, 1.0f);
    platform::render::mapPixels(in[0], out, [=](const PixelF& p) {
        // On premultiplied channels: (c - 0.5 a) x gain + lift x a.
        auto channel = [&](float c) { return (c - 0.5f * p.a) * gain + lift * p.a; };
        return PixelF{channel(p.r), channel(p.g), channel(p.b), p.a};
    });
}

} // namespace

const TRCustomEffectInfo& TRCEContrast::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEContrast,
        "Contrast",
        QUuid(0x99505ffe, 0xc730, 0x439b, 0x9b, 0x98, 0xcd, 0x92, 0xec, 0x8d, 0xfa, 0xc9),
        "CE_Contrast",
        1,
        sizeof(TCE_Contrast_Buffer),
        {
            {"Contrast", "float", "1", offsetof(TCE_Contrast_Buffer, Contrast),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Brightness", "float", "1", offsetof(TCE_Contrast_Buffer, Brightness),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{{1, 0.5f}}, {0xffff8080u, 0xff80ff80u, 0xff8080ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCEContrast::Shader() {
    return {run, false};
}
