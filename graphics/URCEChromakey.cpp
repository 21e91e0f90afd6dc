#include "graphics/URCEChromakey.h"

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
    const auto& b = ShaderBuffer<TCE_Chromakey_Buffer>(buffer);
    const bool invert = b.Invert >= 0.5f;
    platform::render::mapPixels(in[0], out, [&](const PixelF& p) {
        const PixelF s = platform::render::unpremultiplied(p);
        const float distance = std::max({std::abs(s.r * 255 - b.Red), std::abs(s.g * 255 - b.Green),
                                         std::abs(s.b * 255 - b.Blue)});
        return (distance <= b.Tolerance) != invert ? PixelF{} : p;
    });
}

} // namespace

const TRCustomEffectInfo& TRCEChromakey::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEChromakey,
        "Chroma-Key",
        QUuid(0xda917118, 0x32f0, 0x4a24, 0x88, 0xa8, 0x80, 0x46, 0xce, 0x71, 0x1c, 0xc6),
        "CE_Chromakey",
        1,
        sizeof(TCE_Chromakey_Buffer),
        {
            {"Tolerance", "float", "1", offsetof(TCE_Chromakey_Buffer, Tolerance),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Red", "float", "1", offsetof(TCE_Chromakey_Buffer, Red),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Green", "float", "1", offsetof(TCE_Chromakey_Buffer, Green),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Blue", "float", "1", offsetof(TCE_Chromakey_Buffer, Blue),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Invert", "float", "0", offsetof(TCE_Chromakey_Buffer, Invert),
             1.0f}, // declared "0"; Initialize sets 1, which wins
        },
        {{{0, 10.0f}, {1, 0.0f}, {2, 255.0f}, {3, 0.0f}, {4, 0.0f}},
         {0xffff0000u, 0u, 0xff0000ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCEChromakey::Shader() {
    return {run, false};
}
