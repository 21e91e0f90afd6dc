#include "graphics/URCESpinBlur.h"

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
    const auto& b = ShaderBuffer<TCE_SpinBlur_Buffer>(buffer);
    constexpr int kMaxSamples = 32;
    const float arc = std::clamp(b.Size, 0.0f, 2 * std::numbers::pi_v<float>) / 8;
    auto distance = [&](float x, float y) {
        return shading::length(x - b.Center.x, y - b.Center.y);
    };
    shading::average(
        in[0], out,
        [&](float x, float y) {
            const float d = distance(x, y);
            if (!(arc > 0) || (b.Radius > 0 && d > b.Radius))
                return 1;
            return int(std::clamp(std::ceil(d * arc) + 1, 2.0f, float(kMaxSamples)));
        },
        [&](float x, float y, float t) {
            if (!(arc > 0))
                return PointF{x, y};
            const PointF r = shading::rotated(x - b.Center.x, y - b.Center.y, arc * (t - 0.5f));
            return shading::limitToImage({b.Center.x + r.x, b.Center.y + r.y}, b.MaxWidth,
                                         b.MaxHeight);
        });
}

} // namespace

const TRCustomEffectInfo& TRCESpinBlur::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CESpinBlur,
        "SpinBlur",
        QUuid(0x5f144f4f, 0x0450, 0x42c3, 0x99, 0x65, 0x7f, 0xdd, 0x68, 0xfe, 0xb6, 0x51),
        "CE_SpinBlur",
        1,
        sizeof(TCE_SpinBlur_Buffer),
        {
            {"Size", "float", "1", offsetof(TCE_SpinBlur_Buffer, Size),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"Center", "vector2", "", offsetof(TCE_SpinBlur_Buffer, Center), Vector2{0, 0}},
            {"Radius", "float", "1", offsetof(TCE_SpinBlur_Buffer, Radius),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"MaxWidth", "float", "1", offsetof(TCE_SpinBlur_Buffer, MaxWidth),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"MaxHeight", "float", "1", offsetof(TCE_SpinBlur_Buffer, MaxHeight),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{}, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu}}};
    return info;
}

TRPixelShader TRCESpinBlur::Shader() {
    return {run, true};
}
