// Gaussian, directional and shadow blurs. Axis-aligned blurs are separable: one pass along the
// rows into a transposed float buffer, one along the columns back out. Small deviations use
// the exact sampled Gaussian; larger ones three box passes of running sums, whose cost does not
// grow with the radius.
#include "platform/render/KernelMath.h"
#include "platform/render/StandardEffects.h"

#include <array>
#include <cstring>
#include <numbers>
#include <vector>

namespace platform::render::effects {

namespace {

// The largest standard deviation the blurs honour.
constexpr float kMaxDeviation = 250;
// Below this deviation the sampled kernel is cheap and more exact than the box passes.
constexpr float kBoxFromDeviation = 4;

// A one-dimensional Gaussian filter: `reach` samples on each side of the centre.
class LineFilter {
public:
    explicit LineFilter(float sigma) {
        sigma = std::min(sigma, kMaxDeviation);
        if (!(sigma > 0))
            return;
        if (sigma < kBoxFromDeviation) {
            reach_ = int(std::ceil(3 * sigma));
            float sum = 0;
            for (int k = -reach_; k <= reach_; ++k)
                sum += weights_.emplace_back(std::exp(-float(k * k) / (2 * sigma * sigma)));
            for (float& w : weights_)
                w /= sum;
            return;
        }
        // Three boxes whose combined variance matches sigma^2 (widths w and w + 2, odd).
        const float ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
        int lower = int(std::floor(ideal));
        if (lower % 2 == 0)
            --lower;
        const float m =
            (12 * sigma * sigma - 3.0f * float(lower * lower) - 12.0f * float(lower) - 9) /
            (-4.0f * float(lower) - 4);
        const int smallBoxes = std::clamp(int(std::lround(m)), 0, 3);
        for (int i = 0; i < 3; ++i) {
            boxes_[size_t(i)] = ((i < smallBoxes ? lower : lower + 2) - 1) / 2;
            reach_ += boxes_[size_t(i)];
        }
    }

    int reach() const { return reach_; }

    // Filters `line` (n + 2 * reach pixels) into its first n pixels; `scratch` holds as many.
    void apply(PixelF* line, int n, PixelF* scratch) const {
        if (!weights_.empty()) {
            applySampled(line, n, scratch);
            return;
        }
        int length = n + 2 * reach_;
        for (const int r : boxes_) {
            if (r == 0)
                continue;
            const int width = 2 * r + 1;
            const float k = 1.0f / float(width);
            PixelF sum;
            for (int i = 0; i < width; ++i)
                sum += line[i];
            length -= 2 * r;
            for (int i = 0; i < length; ++i) {
                scratch[i] = sum * k;
                if (i + 1 < length)
                    sum += line[i + width] + line[i] * -1.0f;
            }
            std::copy(scratch, scratch + length, line);
        }
    }

private:
    // The sampled kernel, four channels at a time, folding the symmetric taps.
    void applySampled(PixelF* line, int n, PixelF* scratch) const {
        using Float4 = float __attribute__((vector_size(16)));
        static_assert(sizeof(PixelF) == sizeof(Float4));
        auto load = [](const PixelF* p) {
            Float4 v;
            std::memcpy(&v, p, sizeof v);
            return v;
        };
        const float* w = weights_.data() + reach_; // w[-k] == w[k]
        for (int i = 0; i < n; ++i) {
            const PixelF* centre = line + i + reach_;
            Float4 sum = load(centre) * w[0];
            for (int k = 1; k <= reach_; ++k)
                sum += (load(centre - k) + load(centre + k)) * w[k];
            std::memcpy(static_cast<void*>(scratch + i), &sum, sizeof sum);
        }
        std::copy(scratch, scratch + n, line);
    }

    int reach_ = 0;
    std::vector<float> weights_;
    std::array<int, 3> boxes_{};
};

// Index `i` reflected into [lo, hi) with the edge pixel repeated (..., 1, 0 | 0, 1, ...).
int32_t mirrored(int32_t i, int32_t lo, int32_t hi) {
    const int64_t n = int64_t(hi) - lo;
    int64_t m = (int64_t(i) - lo) % (2 * n);
    if (m < 0)
        m += 2 * n;
    return int32_t(lo + (m < n ? m : 2 * n - 1 - m));
}

// Where the blur reads pixel `i` of an axis: itself, or its mirror image inside the input.
struct AxisSource {
    bool hard = false;
    int32_t lo = 0, hi = 0;
    int32_t operator()(int32_t i) const {
        return hard && (i < lo || i >= hi) ? mirrored(i, lo, hi) : i;
    }
};

// The separable blur of `in` into `out`. `in` covers out.region grown by the filters'
// reaches (cut to `bounds` in hard mode, where reads beyond `bounds` are mirrored back).
// `columns` holds the transposed intermediate; it keeps its memory from call to call.
void blurSeparable(const ImageTile& in, ImageTile& out, const LineFilter& fx, const LineFilter& fy,
                   bool hard, const RectL& bounds, std::vector<PixelF>& columns) {
    const int outW = int(out.region.width()), outH = int(out.region.height());
    const int rowsIn = int(in.region.height());
    const AxisSource srcX{hard, bounds.left, bounds.right};
    const AxisSource srcY{hard, bounds.top, bounds.bottom};
    // Rows pass: every input row filtered to the output's columns, stored transposed.
    if (columns.size() < size_t(outW) * size_t(rowsIn))
        columns.resize(size_t(outW) * size_t(rowsIn));
    const int lineX = outW + 2 * fx.reach();
    parallelRows(rowsIn, lineX, [&](int first, int last) {
        std::vector<PixelF> line(static_cast<size_t>(lineX)), scratch(line.size());
        for (int r = first; r < last; ++r) {
            const int32_t y = in.region.top + r;
            const uint32_t* src = in.row(y);
            for (int i = 0; i < lineX; ++i) {
                const int32_t x = srcX(out.region.left - fx.reach() + i);
                line[size_t(i)] = x >= in.region.left && x < in.region.right
                                      ? unpackPixel(src[x - in.region.left])
                                      : PixelF{};
            }
            fx.apply(line.data(), outW, scratch.data());
            for (int c = 0; c < outW; ++c)
                columns[size_t(c) * size_t(rowsIn) + size_t(r)] = line[size_t(c)];
        }
    });
    // Columns pass: each column filtered and written back into the output rows.
    const int lineY = outH + 2 * fy.reach();
    auto* outBits = reinterpret_cast<uint32_t*>(out.pixels.bits());
    const ptrdiff_t outStride = out.pixels.bytesPerLine() / 4;
    parallelRows(outW, lineY, [&](int first, int last) {
        std::vector<PixelF> line(static_cast<size_t>(lineY)), scratch(line.size());
        for (int c = first; c < last; ++c) {
            const PixelF* column = columns.data() + size_t(c) * size_t(rowsIn);
            for (int i = 0; i < lineY; ++i) {
                const int32_t y = srcY(out.region.top - fy.reach() + i);
                line[size_t(i)] = y >= in.region.top && y < in.region.bottom
                                      ? column[y - in.region.top]
                                      : PixelF{};
            }
            fy.apply(line.data(), outH, scratch.data());
            for (int i = 0; i < outH; ++i)
                outBits[i * outStride + c] = packPixel(line[size_t(i)]);
        }
    });
}

// A point reflected into [lo, hi) as a continuous coordinate (mirror without repeat of
// the edge sample's centre).
float mirroredCoordinate(float v, float lo, float hi) {
    const float n = hi - lo;
    float m = std::fmod(v - lo, 2 * n);
    if (m < 0)
        m += 2 * n;
    return lo + (m < n ? m : 2 * n - m);
}

// The blur of `in` along the unit direction (dx, dy) for angles that are not a multiple of
// 90 degrees, at a cost that does not grow with the deviation: the image is resampled onto
// lines of that direction (one per whole step across the major axis), each line is filtered
// like a row, and every output pixel is read back from the two lines around it.
void blurAlong(const ImageTile& in, ImageTile& out, float sigma, float dx, float dy, bool hard,
               const RectL& bounds, std::vector<PixelF>& lines) {
    const bool horizontal = std::abs(dx) >= std::abs(dy);
    const float slope = horizontal ? dy / dx : dx / dy; // minor per major step
    const LineFilter filter(sigma * std::abs(horizontal ? dx : dy));
    const int reach = filter.reach();
    const RectL& o = out.region;
    const int32_t u0 = horizontal ? o.left : o.top, u1 = horizontal ? o.right : o.bottom;
    const int32_t v0 = horizontal ? o.top : o.left, v1 = horizontal ? o.bottom : o.right;
    const int n = int(u1 - u0);
    const float span = slope * float(n);
    // Line c passes through minor coordinate c + 0.5 at the first major centre u0 + 0.5.
    const int32_t c0 = v0 - int32_t(std::ceil(std::max(0.0f, span))) - 2;
    const int32_t c1 = v1 - int32_t(std::floor(std::min(0.0f, span))) + 2;
    const int rows = int(c1 - c0);
    if (lines.size() < size_t(rows) * size_t(n))
        lines.resize(size_t(rows) * size_t(n));
    const RectF b = bounds.toRectF();
    const TileReader src(in);
    auto sample = [&](float u, float v) {
        float x = horizontal ? u : v, y = horizontal ? v : u;
        if (hard) {
            x = mirroredCoordinate(x, b.left, b.right);
            y = mirroredCoordinate(y, b.top, b.bottom);
        }
        return src.bilinear(x, y);
    };
    const int length = n + 2 * reach;
    parallelRows(rows, length, [&](int first, int last) {
        std::vector<PixelF> line(static_cast<size_t>(length)), scratch(line.size());
        for (int r = first; r < last; ++r) {
            const float c = float(c0 + r) + 0.5f;
            for (int i = 0; i < length; ++i) {
                const float u = float(u0 - reach + i) + 0.5f;
                line[size_t(i)] = sample(u, c + slope * (u - float(u0) - 0.5f));
            }
            filter.apply(line.data(), n, scratch.data());
            std::copy_n(line.begin(), n, lines.begin() + ptrdiff_t(r) * n);
        }
    });
    generatePixels(out, [&](int32_t x, int32_t y) {
        const int32_t u = horizontal ? x : y, v = horizontal ? y : x;
        const float at = float(v - c0) - slope * float(u - u0);
        const int r = std::clamp(int(std::floor(at)), 0, rows - 2);
        const size_t column = size_t(u - u0);
        return mix(lines[size_t(r) * size_t(n) + column], lines[size_t(r + 1) * size_t(n) + column],
                   std::clamp(at - float(r), 0.0f, 1.0f));
    });
}

// Shared by the blurs: the reach of the filter in x and y, the border handling, and the
// region mapping that follows from them.
class BlurKernelBase : public EffectKernel {
public:
    RectL outputBounds(std::span<const RectL> in) const override {
        bounds_ = in[0];
        return hard_ ? in[0] : grown(in[0]);
    }
    void mapOutputToInputs(const RectL& out, std::span<RectL> in) const override {
        in[0] = hard_ ? grown(out).intersected(bounds_) : grown(out);
    }

protected:
    RectL grown(const RectL& r) const {
        return {sat(int64_t(r.left) - reachX_), sat(int64_t(r.top) - reachY_),
                sat(int64_t(r.right) + reachX_), sat(int64_t(r.bottom) + reachY_)};
    }
    static int32_t sat(int64_t v) {
        const RectL inf = RectL::infinite();
        return int32_t(std::clamp<int64_t>(v, inf.left, inf.right));
    }

    int reachX_ = 0, reachY_ = 0;
    bool hard_ = false;
    mutable RectL bounds_;
    mutable std::vector<PixelF> columns_;
};

class GaussianBlurKernel : public BlurKernelBase {
public:
    void prepare(std::span<const PropertyValue> p) override {
        filter_ = LineFilter(std::get<float>(p[GaussianBlurStandardDeviation]));
        reachX_ = reachY_ = filter_.reach();
        hard_ = std::get<uint32_t>(p[GaussianBlurBorderMode]) == BorderHard;
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        blurSeparable(in[0], out, filter_, filter_, hard_, bounds_, columns_);
    }

private:
    LineFilter filter_{0};
};

class DirectionalBlurKernel : public BlurKernelBase {
public:
    void prepare(std::span<const PropertyValue> p) override {
        sigma_ = std::min(std::get<float>(p[DirectionalBlurStandardDeviation]), kMaxDeviation);
        if (!(sigma_ > 0))
            sigma_ = 0;
        const double angle =
            double(std::get<float>(p[DirectionalBlurAngle])) * std::numbers::pi / 180;
        dx_ = float(std::cos(angle));
        dy_ = float(-std::sin(angle)); // counter-clockwise on screen, y growing downwards
        // Snap directions within a hair of an axis so that they take the separable path.
        constexpr float kAxis = 1e-5f;
        if (std::abs(dx_) < kAxis)
            dx_ = 0;
        if (std::abs(dy_) < kAxis)
            dy_ = 0;
        hard_ = std::get<uint32_t>(p[DirectionalBlurBorderMode]) == BorderHard;
        const LineFilter filter(sigma_);
        axisAligned_ = dx_ == 0 || dy_ == 0 || sigma_ == 0;
        const int reach = axisAligned_ ? filter.reach() : int(std::ceil(3 * sigma_)) + 4;
        reachX_ = dx_ == 0 ? 0 : reach;
        reachY_ = dy_ == 0 ? 0 : reach;
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        if (axisAligned_) {
            const LineFilter along(sigma_), none(0);
            blurSeparable(in[0], out, dy_ == 0 ? along : none, dy_ == 0 ? none : along, hard_,
                          bounds_, columns_);
            return;
        }
        blurAlong(in[0], out, sigma_, dx_, dy_, hard_, bounds_, columns_);
    }

private:
    float sigma_ = 0, dx_ = 1, dy_ = 0;
    bool axisAligned_ = true;
};

class ShadowKernel : public BlurKernelBase {
public:
    void prepare(std::span<const PropertyValue> p) override {
        filter_ = LineFilter(std::get<float>(p[ShadowBlurStandardDeviation]));
        reachX_ = reachY_ = filter_.reach();
        const Vector4 c = std::get<Vector4>(p[ShadowColor]);
        color_ = premultiplied({c.x, c.y, c.z, std::clamp(c.w, 0.0f, 1.0f)});
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        // Colouring and blurring are both linear: colour the alpha first, then blur.
        ImageTile colored{QImage(in[0].pixels.size(), QImage::Format_ARGB32_Premultiplied),
                          in[0].region};
        mapPixels(in[0], colored, [this](const PixelF& p) { return color_ * p.a; });
        blurSeparable(colored, out, filter_, filter_, false, bounds_, columns_);
    }

private:
    LineFilter filter_{0};
    PixelF color_;
};

constexpr uint32_t kBalanced = 1;

} // namespace

std::vector<EffectClass> blurClasses() {
    std::vector<EffectClass> out;
    out.push_back({GaussianBlur,
                   "Gaussian Blur",
                   1,
                   {{"StandardDeviation", 3.0f},
                    {"Optimization", kBalanced},
                    {"BorderMode", uint32_t(BorderSoft)}},
                   kernelMaker<GaussianBlurKernel>()});
    out.push_back({DirectionalBlur,
                   "Directional Blur",
                   1,
                   {{"StandardDeviation", 3.0f},
                    {"Angle", 0.0f},
                    {"Optimization", kBalanced},
                    {"BorderMode", uint32_t(BorderSoft)}},
                   kernelMaker<DirectionalBlurKernel>()});
    out.push_back({Shadow,
                   "Shadow",
                   1,
                   {{"BlurStandardDeviation", 3.0f},
                    {"Color", Vector4{0, 0, 0, 1}},
                    {"Optimization", kBalanced}},
                   kernelMaker<ShadowKernel>()});
    return out;
}

} // namespace platform::render::effects
