#include "graphics/URCEDissolve.h"

#include "graphics/URCustomShading.h"

#include <array>
#include <numbers>

using platform::render::ImageTile;
using platform::render::PixelF;
using platform::render::PointF;
using platform::render::RectL;
using platform::render::Vector2;
using platform::render::Vector4;

namespace {

// For each noise alpha, how many noise reds (from 0 up) show the picture: the straight red
// r / a grows with r, so those below a limit do. Worked out once per run, so a pixel costs a
// table look-up instead of an unpremultiplying division.
std::array<uint16_t, 256> visibleReds(float threshold) {
    using platform::render::unpackPixel;
    std::array<uint16_t, 256> limit{};
    for (uint32_t a = 0; a < 256; ++a)
        while (
            limit[a] < 256 &&
            platform::render::unpremultiplied(unpackPixel(a << 24 | uint32_t(limit[a]) << 16)).r <
                threshold)
            ++limit[a];
    return limit;
}

void run(const void* buffer, std::span<const ImageTile> in, ImageTile& out) {
    const auto& b = ShaderBuffer<TCE_Dissolve_Buffer>(buffer);
    const float threshold = b.Size;
    const platform::render::TileReader src(in[0]), noiseInput(in[1]);
    auto shown = [&](int32_t x, int32_t y) { return platform::render::packPixel(src.at(x, y)); };
    if (threshold >= 1) {
        platform::render::generatePackedPixels(out, out.region, shown);
        return;
    }
    const std::array<uint16_t, 256> limit = visibleReds(threshold);
    platform::render::generatePackedPixels(out, out.region, [&](int32_t x, int32_t y) {
        const uint32_t noise = noiseInput.packedAt(x, y);
        return (noise >> 16 & 0xff) < limit[noise >> 24] ? shown(x, y) : 0u;
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
