// Turbulence and displacement. The turbulence is the lattice-gradient Perlin noise of the
// vector-graphics filter model (seeded Park-Miller generator, 256-entry lattice, four
// independent channels, optional stitching), so the same properties always give the same
// pixels, whatever region is drawn.
#include "platform/render/KernelMath.h"
#include "platform/render/StandardEffects.h"

#include <array>
#include <optional>
#include <tuple>

namespace platform::render::effects {

namespace {

constexpr int kLattice = 0x100;
constexpr int kLatticeMask = 0xff;
constexpr int kPerlinOffset = 0x1000;
constexpr long kRandM = 2147483647, kRandA = 16807, kRandQ = 127773, kRandR = 2836;

long seedValue(long seed) {
    if (seed <= 0)
        seed = -(seed % (kRandM - 1)) + 1;
    return std::min(seed, kRandM - 1);
}

long nextRandom(long seed) {
    long r = kRandA * (seed % kRandQ) - kRandR * (seed / kRandQ);
    return r <= 0 ? r + kRandM : r;
}

// Lattice wrap-around for tiles that repeat seamlessly.
struct Stitch {
    int64_t width = 0, height = 0, wrapX = 0, wrapY = 0;
};

// Lattice coordinates beyond this are no longer meaningful noise (and would overflow).
constexpr double kMaxLattice = 1e8;

class NoiseLattice {
public:
    explicit NoiseLattice(long seed) {
        seed = seedValue(seed);
        for (auto& gradients : gradient_)
            for (int i = 0; i < kLattice; ++i) {
                selector_[size_t(i)] = i;
                auto& g = gradients[size_t(i)];
                for (double& c : g) {
                    seed = nextRandom(seed);
                    c = double(seed % (2 * kLattice) - kLattice) / kLattice;
                }
                const double len = std::sqrt(g[0] * g[0] + g[1] * g[1]);
                if (len > 0)
                    g = {g[0] / len, g[1] / len};
            }
        for (int i = kLattice - 1; i > 0; --i) {
            seed = nextRandom(seed);
            std::swap(selector_[size_t(i)], selector_[size_t(seed % kLattice)]);
        }
        for (int i = 0; i < kLattice + 2; ++i) {
            selector_[size_t(kLattice + i)] = selector_[size_t(i)];
            for (auto& gradients : gradient_)
                gradients[size_t(kLattice + i)] = gradients[size_t(i)];
        }
    }

    /// The noise of the four channels at (vx, vy): they share the lattice cell and corners
    /// and differ only in their gradients.
    std::array<double, 4> noise(double vx, double vy, const Stitch* stitch) const {
        if (!(std::abs(vx) < kMaxLattice && std::abs(vy) < kMaxLattice))
            return {};
        const double tx = vx + kPerlinOffset, ty = vy + kPerlinOffset;
        int bx0 = int(tx), by0 = int(ty);
        int bx1 = bx0 + 1, by1 = by0 + 1;
        const double rx0 = tx - int(tx), ry0 = ty - int(ty);
        const double rx1 = rx0 - 1, ry1 = ry0 - 1;
        bx0 &= kLatticeMask, bx1 &= kLatticeMask, by0 &= kLatticeMask, by1 &= kLatticeMask;
        if (stitch) {
            // The wrap points are compared with the unmasked lattice coordinates.
            const int ux = int(tx), uy = int(ty);
            if (ux >= stitch->wrapX)
                bx0 = int((ux - stitch->width) & kLatticeMask);
            if (ux + 1 >= stitch->wrapX)
                bx1 = int((ux + 1 - stitch->width) & kLatticeMask);
            if (uy >= stitch->wrapY)
                by0 = int((uy - stitch->height) & kLatticeMask);
            if (uy + 1 >= stitch->wrapY)
                by1 = int((uy + 1 - stitch->height) & kLatticeMask);
        }
        const int i = selector_[size_t(bx0)], j = selector_[size_t(bx1)];
        const auto c00 = size_t(selector_[size_t(i + by0)]),
                   c10 = size_t(selector_[size_t(j + by0)]);
        const auto c01 = size_t(selector_[size_t(i + by1)]),
                   c11 = size_t(selector_[size_t(j + by1)]);
        const double sx = rx0 * rx0 * (3 - 2 * rx0), sy = ry0 * ry0 * (3 - 2 * ry0);
        // The plain form, not std::lerp: its exactness cases branch on the corners' signs,
        // which the noise makes unpredictable.
        auto lerp = [](double a, double b, double t) { return a + t * (b - a); };
        std::array<double, 4> n;
        for (size_t ch = 0; ch < 4; ++ch) {
            const auto& g = gradient_[ch];
            auto dot = [&](size_t b, double rx, double ry) { return rx * g[b][0] + ry * g[b][1]; };
            const double a = lerp(dot(c00, rx0, ry0), dot(c10, rx1, ry0), sx);
            const double b = lerp(dot(c01, rx0, ry1), dot(c11, rx1, ry1), sx);
            n[ch] = lerp(a, b, sy);
        }
        return n;
    }

private:
    std::array<int, 2 * kLattice + 2> selector_{};
    std::array<std::array<std::array<double, 2>, 2 * kLattice + 2>, 4> gradient_{};
};

class TurbulenceKernel : public EffectKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        const auto seed = long(int32_t(std::get<uint32_t>(p[TurbulenceSeed])));
        if (!lattice_ || seed != seed_) {
            lattice_ = std::make_unique<NoiseLattice>(seed);
            seed_ = seed;
        }
        offset_ = std::get<Vector2>(p[TurbulenceOffset]);
        const Vector2 size = std::get<Vector2>(p[TurbulenceSize]);
        // A size that is not a positive number draws nothing.
        auto extent = [](float v) { return v > 0 ? std::min(v, 1e9f) : 0.0f; };
        bounds_ = RectL::covering({0, 0, extent(size.x), extent(size.y)});
        frequency_ = std::get<Vector2>(p[TurbulenceBaseFrequency]);
        // More octaves than this add nothing visible at 8 bits per channel.
        octaves_ = int(std::min<uint32_t>(std::get<uint32_t>(p[TurbulenceOctaves]), 24));
        fractal_ = std::get<uint32_t>(p[TurbulenceNoise]) == NoiseFractalSum;
        stitch_ = std::get<uint32_t>(p[TurbulenceStitchable]) != 0;
    }
    RectL outputBounds(std::span<const RectL>) const override { return bounds_; }
    // The noise depends on the properties alone, and a transition draws the same noise on
    // every frame while costing far more than the effect that reads it: the last region drawn
    // is kept and handed out again while the region and the properties stay the same.
    std::optional<ImageTile> passThrough(std::span<const ImageTile>,
                                         const RectL& output) const override {
        if (cached_ && cached_->region == output && cachedSettings_ == settings())
            return cached_;
        return std::nullopt;
    }
    void render(std::span<const ImageTile>, ImageTile& out) const override {
        draw(out);
        cached_ = out;
        cachedSettings_ = settings();
    }

private:
    using Settings = std::tuple<long, Vector2, Vector2, RectL, int, bool, bool>;
    Settings settings() const {
        return {seed_, offset_, frequency_, bounds_, octaves_, fractal_, stitch_};
    }

    void draw(ImageTile& out) const {
        double fx = frequency_.x, fy = frequency_.y;
        Stitch stitch;
        if (stitch_)
            stitch = stitchFor(fx, fy);
        generatePixels(out, [&](int32_t x, int32_t y) {
            const std::array<double, 4> sum =
                turbulence(double(x) + offset_.x, double(y) + offset_.y, fx, fy, stitch);
            std::array<float, 4> c{};
            for (size_t ch = 0; ch < 4; ++ch)
                c[ch] = float(fractal_ ? (sum[ch] + 1) / 2 : sum[ch]);
            const float a = std::clamp(c[3], 0.0f, 1.0f);
            return premultiplied({std::clamp(c[0], 0.0f, 1.0f), std::clamp(c[1], 0.0f, 1.0f),
                                  std::clamp(c[2], 0.0f, 1.0f), a});
        });
    }

    // Adjusts the base frequencies so that a whole number of lattice cells spans the tile.
    Stitch stitchFor(double& fx, double& fy) const {
        const double w = double(bounds_.width()), h = double(bounds_.height());
        auto adjust = [](double& f, double extent) {
            if (f == 0 || extent <= 0)
                return;
            const double lo = std::floor(extent * f) / extent, hi = std::ceil(extent * f) / extent;
            f = lo > 0 && f / lo < hi / f ? lo : hi;
        };
        adjust(fx, w);
        adjust(fy, h);
        Stitch s;
        auto whole = [](double v) { return int64_t(std::clamp(v, -kMaxLattice, kMaxLattice)); };
        s.width = whole(w * fx + 0.5);
        s.height = whole(h * fy + 0.5);
        s.wrapX = whole(double(bounds_.left) * fx + kPerlinOffset + double(s.width));
        s.wrapY = whole(double(bounds_.top) * fy + kPerlinOffset + double(s.height));
        return s;
    }

    std::array<double, 4> turbulence(double px, double py, double fx, double fy,
                                     Stitch stitch) const {
        std::array<double, 4> sum{};
        double vx = px * fx, vy = py * fy, ratio = 1;
        for (int octave = 0; octave < octaves_; ++octave) {
            const std::array<double, 4> n = lattice_->noise(vx, vy, stitch_ ? &stitch : nullptr);
            for (size_t ch = 0; ch < 4; ++ch)
                sum[ch] += (fractal_ ? n[ch] : std::abs(n[ch])) / ratio;
            vx *= 2, vy *= 2, ratio *= 2;
            stitch.width *= 2;
            stitch.wrapX = 2 * stitch.wrapX - kPerlinOffset;
            stitch.height *= 2;
            stitch.wrapY = 2 * stitch.wrapY - kPerlinOffset;
        }
        return sum;
    }

    std::unique_ptr<NoiseLattice> lattice_;
    long seed_ = 0;
    Vector2 offset_, frequency_;
    RectL bounds_;
    int octaves_ = 1;
    bool fractal_ = true, stitch_ = false;
    mutable std::optional<ImageTile> cached_;
    mutable Settings cachedSettings_;
};

float channelOf(const PixelF& straight, uint32_t channel) {
    switch (channel) {
    case ChannelR:
        return straight.r;
    case ChannelG:
        return straight.g;
    case ChannelB:
        return straight.b;
    default:
        return straight.a;
    }
}

class DisplacementKernel : public EffectKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        scale_ = std::get<float>(p[DisplacementScale]);
        if (!std::isfinite(scale_))
            scale_ = 0;
        xChannel_ = std::get<uint32_t>(p[DisplacementXChannel]);
        yChannel_ = std::get<uint32_t>(p[DisplacementYChannel]);
        reach_ = int32_t(std::min(std::ceil(std::abs(scale_) / 2), 1e6f)) + 1;
    }
    RectL outputBounds(std::span<const RectL> in) const override { return in[0].inflated(reach_); }
    void mapOutputToInputs(const RectL& out, std::span<RectL> in) const override {
        in[0] = out.inflated(reach_);
        in[1] = out;
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        const TileReader src(in[0]), map(in[1]);
        generatePixels(out, [&](int32_t x, int32_t y) {
            const PixelF d = unpremultiplied(map.at(x, y));
            const float sx = float(x) + 0.5f + scale_ * (channelOf(d, xChannel_) - 0.5f);
            const float sy = float(y) + 0.5f + scale_ * (channelOf(d, yChannel_) - 0.5f);
            return src.bilinear(sx, sy);
        });
    }

private:
    float scale_ = 0;
    uint32_t xChannel_ = ChannelA, yChannel_ = ChannelA;
    int32_t reach_ = 1;
};

} // namespace

std::vector<EffectClass> noiseClasses() {
    std::vector<EffectClass> out;
    out.push_back({Turbulence,
                   "Turbulence",
                   0,
                   {{"Offset", Vector2{}},
                    {"Size", Vector2{}},
                    {"BaseFrequency", Vector2{0.01f, 0.01f}},
                    {"NumOctaves", uint32_t(1)},
                    {"Seed", uint32_t(0)},
                    {"Noise", uint32_t(NoiseFractalSum)},
                    {"Stitchable", uint32_t(0)}},
                   kernelMaker<TurbulenceKernel>()});
    out.push_back({DisplacementMap,
                   "Displacement Map",
                   2,
                   {{"Scale", 0.0f},
                    {"XChannelSelect", uint32_t(ChannelA)},
                    {"YChannelSelect", uint32_t(ChannelA)}},
                   kernelMaker<DisplacementKernel>()});
    return out;
}

} // namespace platform::render::effects
