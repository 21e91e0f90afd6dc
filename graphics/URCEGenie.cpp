#include "graphics/URCEGenie.h"

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
    const auto& b = ShaderBuffer<TCE_Genie_Buffer>(buffer);
    const float progress = std::clamp(b.Progress, 0.0f, 1.0f);
    if (progress <= 0) {
        shading::copy(in[0], out);
        return;
    }
    const RectL& area = in[0].region; // the whole input
    const float w = float(area.width()), h = float(area.height());
    const float target = float(area.left) + std::clamp(b.Position, 0.0f, 1.0f) * w;
    const platform::render::TileReader src(in[0]);
    platform::render::generatePixels(out, [&](int32_t x, int32_t y) {
        const float v = (float(y) + 0.5f - float(area.top)) / h;
        if (progress >= 1 || v < progress)
            return PixelF{};
        const float sourceV = (v - progress) / (1 - progress);
        const float narrowing = 1 - progress * v * v * (3 - 2 * v);
        const float sourceX = (float(x) + 0.5f - target) / narrowing + target;
        if (sourceX < float(area.left) || sourceX >= float(area.right))
            return PixelF{};
        return src.bilinear(sourceX, float(area.top) + sourceV * h);
    });
}

} // namespace

const TRCustomEffectInfo& TRCEGenie::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEGenie,
        "Genie",
        QUuid(0xaabd9592, 0x1cfa, 0x485d, 0xba, 0x7f, 0x88, 0x6b, 0x84, 0x2b, 0x84, 0x55),
        "CE_Genie",
        1,
        sizeof(TCE_Genie_Buffer),
        {
            {"Progress", "float", "1", offsetof(TCE_Genie_Buffer, Progress),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Position", "float", "1", offsetof(TCE_Genie_Buffer, Position),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{}, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCEGenie::Shader() {
    return {run, true};
}
