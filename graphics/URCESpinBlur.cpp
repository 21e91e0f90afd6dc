#include "graphics/URCESpinBlur.h"

#include "graphics/URArcMean.h"
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

// A pixel at distance d from the centre averages ceil(d x arc) + 1 samples (one per pixel of
// the arc it sweeps, 2 to kSamples) spread evenly over the arc from -arc / 2 to arc / 2. The
// rotations of every sample count are worked out once per run, so the samples of a pixel are
// independent of each other and no sine is computed per pixel.
constexpr int kSamples = 32;

// cos and sin of the sample angles for each sample count n (rows 2 to kSamples).
using Turns = std::array<std::array<PointF, kSamples>, kSamples + 1>;

Turns turnsOver(float arc) {
    Turns t{};
    for (int n = 2; n <= kSamples; ++n)
        for (int k = 0; k < n; ++k) {
            PointF& r = t[size_t(n)][size_t(k)];
            platform::render::fastSinCos(-arc / 2 + arc * float(k) / float(n - 1), r.y, r.x);
        }
    return t;
}

// Arcs shorter than this many pixels are averaged from their own samples; longer ones from the
// running sums of rings (URArcMean.h), which cost the same whatever the arc's length.
constexpr float kShortestRingArc = 2;

void run(const void* buffer, std::span<const ImageTile> in, ImageTile& out) {
    const auto& b = ShaderBuffer<TCE_SpinBlur_Buffer>(buffer);
    const float arc = std::clamp(b.Size, 0.0f, 2 * std::numbers::pi_v<float>) / 8;
    if (!(arc > 0)) {
        shading::copy(in[0], out);
        return;
    }
    const Turns turns = turnsOver(arc);
    const float cx = b.Center.x, cy = b.Center.y;
    const auto samples = [&](float x, float y, auto add) {
        const float dx = x - cx, dy = y - cy;
        const float d = shading::length(dx, dy);
        if (b.Radius > 0 && d > b.Radius) {
            add(x, y);
            return 1;
        }
        const int n = shading::sampleCount(d * arc + 1, kSamples);
        const auto& turn = turns[size_t(n)];
        for (int k = 0; k < n; ++k) {
            const PointF r = turn[size_t(k)];
            const PointF p = shading::limitToImage(
                {cx + dx * r.x - dy * r.y, cy + dx * r.y + dy * r.x}, b.MaxWidth, b.MaxHeight);
            add(p.x, p.y);
        }
        return n;
    };
    const platform::render::TileReader src(in[0]);
    shading::ArcMean means{
        {cx, cy},
        arc,
        b.MaxWidth,
        b.MaxHeight,
        b.Radius,
        kShortestRingArc,
        [&](int32_t x, int32_t y) { return shading::meanOfSamples(src, samples, x, y); }};
    if (shading::arcMeansApply(means))
        shading::averageAlongArcs(means, in[0], out);
    else
        shading::average(in[0], out, samples, shading::discArea(cx, cy, b.Radius));
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
