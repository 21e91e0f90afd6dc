// Colour effects: flood, sepia, saturation, emboss and vignette.
#include "platform/render/KernelMath.h"
#include "platform/render/StandardEffects.h"

#include <numbers>

namespace platform::render::effects {

namespace {

float clamp01(float v) {
    return v > 0 ? std::min(v, 1.0f) : 0.0f;
}

class FloodKernel : public EffectKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        const Vector4 c = std::get<Vector4>(p[FloodColor]);
        const float a = clamp01(c.w);
        color_ = packPixel({clamp01(c.x), clamp01(c.y), clamp01(c.z), a});
    }
    RectL outputBounds(std::span<const RectL>) const override { return RectL::infinite(); }
    void render(std::span<const ImageTile>, ImageTile& out) const override {
        out.pixels.fill(color_);
    }

private:
    uint32_t color_ = 0xff000000u;
};

// A colour matrix blended with the identity by an amount.
class MatrixKernel : public EffectKernel {
public:
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        mapPixels(in[0], out, [this](const PixelF& p) { return matrix_.apply(p); });
    }

protected:
    void setMatrix(const ColorMatrix& full, float amount) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                matrix_.m[i][j] = std::lerp(i == j ? 1.0f : 0.0f, full.m[i][j], amount);
    }

private:
    ColorMatrix matrix_{};
};

// The classic sepia tone matrix (rows r, g, b).
constexpr ColorMatrix kSepia{
    {{0.393f, 0.769f, 0.189f}, {0.349f, 0.686f, 0.168f}, {0.272f, 0.534f, 0.131f}}};

class SepiaKernel : public MatrixKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        setMatrix(kSepia, clamp01(std::get<float>(p[SepiaIntensity])));
    }
};

// Full desaturation: every channel becomes the luminance (0.213, 0.715, 0.072).
constexpr ColorMatrix kGrey{
    {{0.213f, 0.715f, 0.072f}, {0.213f, 0.715f, 0.072f}, {0.213f, 0.715f, 0.072f}}};

class SaturationKernel : public MatrixKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        setMatrix(kGrey, 1 - clamp01(std::get<float>(p[SaturationAmount])));
    }
};

// Grey 0.5 plus the luminance difference across the pixel along the light direction, scaled
// by the height; the input's alpha is kept.
class EmbossKernel : public EffectKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        height_ = std::clamp(std::get<float>(p[EmbossHeight]), 0.0f, 10.0f);
        const double a = double(std::get<float>(p[EmbossDirection])) * std::numbers::pi / 180;
        dx_ = float(std::cos(a));
        dy_ = float(-std::sin(a));
    }
    RectL outputBounds(std::span<const RectL> in) const override { return in[0]; }
    void mapOutputToInputs(const RectL& out, std::span<RectL> in) const override {
        in[0] = out.inflated(2);
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        const TileReader src(in[0]);
        generatePixels(out, [&](int32_t x, int32_t y) {
            const float cx = float(x) + 0.5f, cy = float(y) + 0.5f;
            const float ahead = luminance(unpremultiplied(src.bilinear(cx + dx_, cy + dy_)));
            const float behind = luminance(unpremultiplied(src.bilinear(cx - dx_, cy - dy_)));
            const float grey = clamp01(0.5f + height_ * (behind - ahead) / 2);
            const float a = src.at(x, y).a;
            return PixelF{grey * a, grey * a, grey * a, a};
        });
    }

private:
    float height_ = 1, dx_ = 1, dy_ = 0;
};

// Mixes the colour in towards the edges of the input's bounds: the mix is 0 inside, rises
// over the outer `transition` part of the normalised radius (0 at the centre, 1 at the
// corners) and reaches `strength` at the corners.
class VignetteKernel : public EffectKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        const Vector4 c = std::get<Vector4>(p[VignetteColor]);
        color_ = {clamp01(c.x), clamp01(c.y), clamp01(c.z), clamp01(c.w)};
        transition_ = clamp01(std::get<float>(p[VignetteTransitionSize]));
        strength_ = clamp01(std::get<float>(p[VignetteStrength]));
    }
    RectL outputBounds(std::span<const RectL> in) const override {
        bounds_ = in[0];
        return in[0];
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        const float hw = float(bounds_.width()) / 2, hh = float(bounds_.height()) / 2;
        const float cx = float(bounds_.left) + hw, cy = float(bounds_.top) + hh;
        const TileReader src(in[0]);
        generatePixels(out, [&](int32_t x, int32_t y) {
            const PixelF p = src.at(x, y);
            const float nx = (float(x) + 0.5f - cx) / hw, ny = (float(y) + 0.5f - cy) / hh;
            const float r = std::sqrt((nx * nx + ny * ny) / 2);
            const float t = transition_ > 0 ? clamp01((r - (1 - transition_)) / transition_) : 0;
            const float m = t * strength_ * color_.a;
            return PixelF{std::lerp(p.r, color_.r * p.a, m), std::lerp(p.g, color_.g * p.a, m),
                          std::lerp(p.b, color_.b * p.a, m), p.a};
        });
    }

private:
    PixelF color_{0, 0, 0, 1};
    float transition_ = 0.1f, strength_ = 0.5f;
    mutable RectL bounds_;
};

} // namespace

std::vector<EffectClass> colorClasses() {
    std::vector<EffectClass> out;
    out.push_back(
        {Flood, "Flood", 0, {{"Color", Vector4{0, 0, 0, 1}}}, kernelMaker<FloodKernel>()});
    out.push_back({Sepia,
                   "Sepia",
                   1,
                   {{"Intensity", 0.5f}, {"AlphaMode", uint32_t(1)}},
                   kernelMaker<SepiaKernel>()});
    out.push_back({Emboss,
                   "Emboss",
                   1,
                   {{"Height", 1.0f}, {"Direction", 0.0f}},
                   kernelMaker<EmbossKernel>()});
    out.push_back({Vignette,
                   "Vignette",
                   1,
                   {{"Color", Vector4{0, 0, 0, 1}}, {"TransitionSize", 0.1f}, {"Strength", 0.5f}},
                   kernelMaker<VignetteKernel>()});
    out.push_back(
        {Saturation, "Saturation", 1, {{"Saturation", 0.5f}}, kernelMaker<SaturationKernel>()});
    return out;
}

} // namespace platform::render::effects
